#include "index/index_format.h"

#include "text/comma_text.h"
#include "text/key_file.h"
#include "text/sjis_file.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>

namespace korvatel
{

namespace
{

// A line's name: the text before its first "=".
QString LineName(const QString &line)
{
    const int eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? line : line.left(eq);
}

QString LineValue(const QString &line)
{
    const int eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.mid(eq + 1);
}

QString Bool(bool value)
{
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

// Colours are written as "$" and six hexadecimal digits; a value outside 0..$FFFFFF is written
// in decimal so that it reads back unchanged.
QString Color(int value)
{
    if (value < 0 || value > 0xFFFFFF)
        return QString::number(value);
    return QStringLiteral("$%1").arg(value, 6, 16, QLatin1Char('0')).toUpper();
}

QString Item(const char *key, const QString &value)
{
    return QLatin1String(key) + QLatin1Char('=') + value;
}

QString Item(const char *key, int value)
{
    return Item(key, QString::number(value));
}

template <typename E> QString EnumName(E value, const QStringList &names)
{
    return names.value(int(value), names.value(0));
}

// The comma text of key=value items as a key file, keys matched ignoring case.
TKeyFile Items(const QString &value)
{
    return TKeyFile(FromCommaText(value));
}

} // namespace

const QStringList &ColorTypeNames()
{
    static const QStringList names
        = { QStringLiteral("ctNormal"), QStringLiteral("ctHarfMist"), QStringLiteral("ctMist"),
              QStringLiteral("ctMono"), QStringLiteral("ctMonoMist"), QStringLiteral("ctRed"),
              QStringLiteral("ctGreen"), QStringLiteral("ctBlue"), QStringLiteral("ctSepia") };
    return names;
}

const QStringList &HorzAlignNames()
{
    static const QStringList names = { QStringLiteral("haNone"), QStringLiteral("haLeft"),
        QStringLiteral("haCenter"), QStringLiteral("haRight") };
    return names;
}

const QStringList &VertAlignNames()
{
    static const QStringList names = { QStringLiteral("vaNone"), QStringLiteral("vaTop"),
        QStringLiteral("vaCenter"), QStringLiteral("vaBottom") };
    return names;
}

const QStringList &ZoomStyleNames()
{
    static const QStringList names = { QStringLiteral("zsSquare"), QStringLiteral("zsWidth"),
        QStringLiteral("zsHeight"), QStringLiteral("zsStretch"), QStringLiteral("zsNone") };
    return names;
}

const QStringList &ZoomStyleDisplayNames()
{
    static const QStringList names = { QStringLiteral("枠合わせ"), QStringLiteral("幅合わせ"),
        QStringLiteral("高さ合わせ"), QStringLiteral("ストレッチ"), QStringLiteral("なし") };
    return names;
}

TZoomStyle ZoomStyleFromName(const QString &text)
{
    for (const QStringList *names : { &ZoomStyleNames(), &ZoomStyleDisplayNames() }) {
        for (int i = 0; i < names->size(); ++i) {
            if (text.compare(names->at(i), Qt::CaseInsensitive) == 0)
                return TZoomStyle(i);
        }
    }
    return zsSquare;
}

TFrame TFrame::FromValue(const QString &name, const QString &value)
{
    const TKeyFile keys = Items(value);
    TFrame f;
    f.Name = name;
    f.V = keys.Bool(QStringLiteral("V"));
    f.L = keys.Integer(QStringLiteral("L"), 0);
    f.T = keys.Integer(QStringLiteral("T"), 0);
    f.W = keys.Integer(QStringLiteral("W"), 0);
    f.H = keys.Integer(QStringLiteral("H"), 0);
    f.C = keys.Integer(QStringLiteral("C"), 0);
    f.LW = keys.Integer(QStringLiteral("LW"), 0);
    f.LC = keys.Integer(QStringLiteral("LC"), 0);
    f.SX = keys.Integer(QStringLiteral("SX"), 0);
    f.SY = keys.Integer(QStringLiteral("SY"), 0);
    f.SC = keys.Integer(QStringLiteral("SC"), 0);
    f.TP = keys.Bool(QStringLiteral("TP"));
    f.GF = keys.Value(QStringLiteral("GF"));
    f.CT = EnumFromName<TColorType>(keys.Value(QStringLiteral("CT")), ColorTypeNames());
    f.RT = EnumFromName<RotationType>(keys.Value(QStringLiteral("RT")), RotationTypeNames());
    f.IL = keys.Integer(QStringLiteral("IL"), 0);
    f.IT = keys.Integer(QStringLiteral("IT"), 0);
    f.IW = keys.Integer(QStringLiteral("IW"), 0);
    f.IH = keys.Integer(QStringLiteral("IH"), 0);
    f.IAH = EnumFromName<THorzAlign>(keys.Value(QStringLiteral("IAH")), HorzAlignNames());
    f.IAV = EnumFromName<TVertAlign>(keys.Value(QStringLiteral("IAV")), VertAlignNames());
    f.ZS = ZoomStyleFromName(keys.Value(QStringLiteral("ZS")));
    f.PZ = keys.Bool(QStringLiteral("PZ"));
    f.TL = keys.Integer(QStringLiteral("TL"), 0);
    f.TT = keys.Integer(QStringLiteral("TT"), 0);
    f.TR = keys.Integer(QStringLiteral("TR"), 0);
    f.TB = keys.Integer(QStringLiteral("TB"), 0);
    return f;
}

QString TFrame::ToValue() const
{
    return ToCommaText({ Item("V", Bool(V)), Item("L", L), Item("T", T), Item("W", W), Item("H", H),
        Item("C", Color(C)), Item("LW", LW), Item("LC", Color(LC)), Item("SX", SX), Item("SY", SY),
        Item("SC", Color(SC)), Item("TP", Bool(TP)), Item("GF", GF),
        Item("CT", EnumName(CT, ColorTypeNames())), Item("RT", EnumName(RT, RotationTypeNames())),
        Item("IL", IL), Item("IT", IT), Item("IW", IW), Item("IH", IH),
        Item("IAH", EnumName(IAH, HorzAlignNames())), Item("IAV", EnumName(IAV, VertAlignNames())),
        Item("ZS", EnumName(ZS, ZoomStyleNames())), Item("PZ", Bool(PZ)), Item("TL", TL),
        Item("TT", TT), Item("TR", TR), Item("TB", TB) });
}

TThumbStyle TThumbStyle::FromValue(const QString &value)
{
    const TKeyFile keys = Items(value);
    TThumbStyle s;
    s.name = keys.Value(QStringLiteral("name"));
    if (keys.HasName(QStringLiteral("gapP"))) {
        s.gapPX = keys.Integer(QStringLiteral("gapP"), 0);
        s.gapPY = s.gapPX;
    } else {
        s.gapPX = keys.Integer(QStringLiteral("gapPX"), 0);
        s.gapPY = keys.Integer(QStringLiteral("gapPY"), 0);
    }
    s.aspW = keys.Integer(QStringLiteral("aspW"), 119);
    s.aspH = keys.Integer(QStringLiteral("aspH"), 89);
    s.basC = keys.Integer(QStringLiteral("basC"), 0xFFFFFF);
    s.linW = keys.Integer(QStringLiteral("linW"), 0);
    s.linC = keys.Integer(QStringLiteral("linC"), 0);
    s.shdX = keys.Integer(QStringLiteral("shdX"), 0);
    s.shdY = keys.Integer(QStringLiteral("shdY"), 0);
    s.shdC = keys.Integer(QStringLiteral("shdC"), 0);
    s.scrTyp = EnumFromName<BackStyle>(keys.Value(QStringLiteral("scrTyp")), BackStyleNames());
    s.cTyp = EnumFromName<TColorType>(keys.Value(QStringLiteral("cTyp")), ColorTypeNames());
    s.igapX = keys.Integer(QStringLiteral("igapX"), 0);
    s.igapY = keys.Integer(QStringLiteral("igapY"), 0);
    s.fiHide = keys.Bool(QStringLiteral("fiHide"));
    s.fiInsd = keys.Bool(QStringLiteral("fiInsd"));
    s.fiTrns = keys.Bool(QStringLiteral("fiTrns"));
    s.foN = keys.Value(QStringLiteral("foN"));
    s.foH = keys.Integer(QStringLiteral("foH"), 300);
    s.foC = keys.Integer(QStringLiteral("foC"), 0);
    s.foS = keys.Value(QStringLiteral("foS"));
    s.fiC = keys.Integer(QStringLiteral("fiC"), 0xFFFFFF);
    s.Fit = EnumFromName<TrimFit>(keys.Value(QStringLiteral("Fit")), TrimFitNames());
    return s;
}

QString TThumbStyle::ToValue() const
{
    return ToCommaText({ Item("name", name), Item("gapPX", gapPX), Item("gapPY", gapPY),
        Item("aspW", aspW), Item("aspH", aspH), Item("basC", Color(basC)), Item("linW", linW),
        Item("linC", Color(linC)), Item("shdX", shdX), Item("shdY", shdY),
        Item("shdC", Color(shdC)), Item("scrTyp", EnumName(scrTyp, BackStyleNames())),
        Item("cTyp", EnumName(cTyp, ColorTypeNames())), Item("igapX", igapX), Item("igapY", igapY),
        Item("fiHide", Bool(fiHide)), Item("fiInsd", Bool(fiInsd)), Item("fiTrns", Bool(fiTrns)),
        Item("foN", foN), Item("foH", foH), Item("foC", Color(foC)), Item("foS", foS),
        Item("fiC", Color(fiC)), Item("Fit", EnumName(Fit, TrimFitNames())) });
}

const QStringList &BuiltInThumbStyles()
{
    static const QStringList styles = {
        QStringLiteral("name=Sampl01,linC=$808080,scrTyp=bstTrans"),
        QStringLiteral("name=Sampl02,linW=10,linC=$808080"),
        QStringLiteral("name=Sampl03,linW=10,linC=$D0D0D0,shdX=50,shdY=50"),
    };
    return styles;
}

QRect TGridGeometry::Cell(int index) const
{
    if (columns <= 0)
        return {};
    const int r = index / columns;
    const int k = index % columns;
    const int top = int(std::trunc(areaTop + gapY / 2 + r * pitchY));
    const int bottom = int(std::trunc(areaTop + gapY / 2 + (r + 1) * pitchY - gapY));
    const int left = int(std::trunc(areaLeft + gapX / 2 + k * pitchX));
    const int right = int(std::trunc(areaLeft + gapX / 2 + (k + 1) * pitchX - gapX));
    return QRect(left, top, right - left, bottom - top);
}

QRect FitRect(double boxWidth, double boxHeight, double pictureWidth, double pictureHeight)
{
    if (!(boxWidth > 0 && boxHeight > 0 && pictureWidth > 0 && pictureHeight > 0))
        return {};
    double w = boxWidth;
    double h = boxHeight;
    const double wider = pictureWidth * boxHeight - pictureHeight * boxWidth;
    if (wider > 0)
        h = boxWidth * pictureHeight / pictureWidth;
    else if (wider < 0)
        w = boxHeight * pictureWidth / pictureHeight;
    const auto even = [](double v) { return int(std::clamp(std::nearbyint(v), -1.0e9, 1.0e9)); };
    return QRect(even((boxWidth - w) / 2), even((boxHeight - h) / 2), even(w), even(h));
}

TIndexFormat::TIndexFormat()
{
    Thumb = TThumbStyle::FromValue(BuiltInThumbStyles().at(1));
}

QString TIndexFormat::DefaultLayoutText()
{
    return QStringLiteral(
        "[HEADER]=W=12100,H=12100,C=$FFFFFF\r\n"
        "frame[OutLine]=V=TRUE,L=100,T=100,W=11900,H=11900,C=$FFFFFF,LW=20,LC=$000000,SX=0,"
        "SY=0,SC=$000000,TP=TRUE,TX=\r\n"
        "rtf[OutLine]\r\n"
        "rtfend[OutLine]\r\n"
        "frame[ImgArea]=V=TRUE,L=200,T=1000,W=11700,H=10900,C=$FFFFFF,LW=0,LC=$A0A0A0,SX=0,"
        "SY=0,SC=$000000,TP=TRUE,TX=\r\n"
        "frame[Title]=V=TRUE,L=200,T=200,W=3000,H=700,C=$FFFFFF,LW=20,LC=$808080,SX=0,SY=0,"
        "SC=$000000,TP=FALSE,\"TX=CD-R INDEX\"\r\n"
        "frame[Logo]=V=FALSE,L=3500,T=200,W=3000,H=700,C=$FFFFFF,LW=20,LC=$808080,SX=0,SY=0,"
        "SC=$000000,TP=FALSE,TX=\r\n"
        "frame[Shop]=V=TRUE,L=7000,T=200,W=4800,H=700,C=$FFFFFF,LW=20,LC=$808080,SX=0,SY=0,"
        "SC=$000000,TP=FALSE,TX=\r\n"
        "frame[Aux]=V=FALSE,L=9000,T=200,W=4800,H=700,C=$FFFFFF,LW=20,LC=$808080,SX=0,SY=0,"
        "SC=$000000,TP=FALSE,\"TX=予備\"");
}

bool TIndexFormat::LoadLayout(const QString &name, const QString &folder)
{
    const QString path = QDir(folder).filePath(name + QStringLiteral(".nxf"));
    if (name.isEmpty() || name == DefaultLayoutName() || folder.isEmpty()
        || !QFileInfo(path).isFile()) {
        LoadFromText(DefaultLayoutText());
        LayoutName = DefaultLayoutName();
        PictureFolder.clear();
        return true;
    }
    const std::optional<QStringList> lines = ReadSjisLines(path);
    if (!lines) {
        LoadFromText(DefaultLayoutText());
        LayoutName = DefaultLayoutName();
        PictureFolder.clear();
        return false;
    }
    LoadFromLines(*lines);
    LayoutName = name;
    PictureFolder = QFileInfo(path).absolutePath();
    return true;
}

void TIndexFormat::LoadFromText(const QString &text)
{
    if (text.contains(QLatin1String("\r\n")))
        LoadFromLines(SplitLines(text));
    else
        LoadFromLines(FromCommaText(text));
}

void TIndexFormat::LoadFromLines(const QStringList &lines)
{
    Frames.clear();
    Thumb = TThumbStyle::FromValue(BuiltInThumbStyles().at(1));
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const QString name = LineName(line);
        if (name.startsWith(QLatin1String("rtf["), Qt::CaseInsensitive)
            && name.endsWith(QLatin1Char(']')) && !line.contains(QLatin1Char('='))) {
            // The block runs to its end line; without one, to the end of the layout.
            const QString frameName = name.mid(4, name.size() - 5);
            const QString end = QStringLiteral("rtfend[%1]").arg(frameName);
            QStringList block;
            int j = i + 1;
            while (j < lines.size() && lines.at(j).compare(end, Qt::CaseInsensitive) != 0)
                block.append(lines.at(j++));
            i = j;
            if (TFrame *frame = Frame(frameName))
                frame->Rtf = block.join(QLatin1String("\r\n"));
            continue;
        }
        if (name.compare(QLatin1String("[HEADER]"), Qt::CaseInsensitive) == 0) {
            const TKeyFile keys = Items(LineValue(line));
            W = keys.Integer(QStringLiteral("W"), W);
            H = keys.Integer(QStringLiteral("H"), H);
            C = keys.Integer(QStringLiteral("C"), 0xFFFFFF);
            CC = keys.Integer(QStringLiteral("CC"), 5);
        } else if (name.compare(QLatin1String("[THUMB]"), Qt::CaseInsensitive) == 0) {
            Thumb = TThumbStyle::FromValue(LineValue(line));
        } else if (name.startsWith(QLatin1String("frame["), Qt::CaseInsensitive)
            && name.endsWith(QLatin1Char(']'))) {
            TFrame frame = TFrame::FromValue(name.mid(6, name.size() - 7), LineValue(line));
            if (TFrame *old = Frame(frame.Name))
                *old = std::move(frame); // a repeated name replaces the frame in its place
            else
                Frames.append(std::move(frame));
        }
    }
}

QStringList TIndexFormat::ToLines() const
{
    QStringList lines;
    lines.append(QStringLiteral("[HEADER]=")
        + ToCommaText({ Item("W", W), Item("H", H), Item("C", Color(C)), Item("CC", CC) }));
    lines.append(QStringLiteral("[THUMB]=") + Thumb.ToValue());
    for (const TFrame &frame : Frames) {
        lines.append(QStringLiteral("frame[%1]=").arg(frame.Name) + frame.ToValue());
        if (!frame.Rtf.isEmpty()) {
            lines.append(QStringLiteral("rtf[%1]").arg(frame.Name));
            lines.append(frame.Rtf.split(QLatin1String("\r\n")));
            lines.append(QStringLiteral("rtfend[%1]").arg(frame.Name));
        }
    }
    return lines;
}

bool TIndexFormat::SaveToFile(const QString &path) const
{
    return WriteSjisLines(path, ToLines());
}

const TFrame *TIndexFormat::Frame(const QString &name) const
{
    for (const TFrame &frame : Frames) {
        if (frame.Name.compare(name, Qt::CaseInsensitive) == 0)
            return &frame;
    }
    return nullptr;
}

TFrame *TIndexFormat::Frame(const QString &name)
{
    return const_cast<TFrame *>(std::as_const(*this).Frame(name));
}

void TIndexFormat::ResetImages()
{
    FImages.clear();
    FPageStart = 0;
    FCursor = 0;
    FImagesPerPage = 0;
}

int TIndexFormat::AddImage(const QString &fullPath)
{
    const int index = int(FImages.size());
    FImages.append(
        QStringLiteral("%1,\"%2\",%3")
            .arg(QString::number(index, 16).toUpper().rightJustified(6, QLatin1Char('0')),
                QFileInfo(fullPath).fileName(), fullPath));
    return index;
}

QString TIndexFormat::ImagePath(const QString &entry)
{
    const int at = entry.indexOf(QLatin1String("\","));
    return at < 0 ? QString() : entry.mid(at + 2);
}

bool TIndexFormat::NextPage()
{
    if (FImagesPerPage > 0 && FPageStart + FImagesPerPage < ImageCount()) {
        FPageStart += FImagesPerPage;
        FCursor = FPageStart;
        return true;
    }
    return false;
}

bool TIndexFormat::PrevPage()
{
    if (FPageStart <= 0)
        return false;
    FPageStart = std::max(0, FPageStart - FImagesPerPage);
    FCursor = FPageStart;
    return true;
}

QSize TIndexFormat::SheetSize() const
{
    if (W <= 0 || H <= 0)
        return {};
    return FitRect(1200, 1200, W, H).size();
}

double TIndexFormat::Scale() const
{
    const QSize size = SheetSize();
    return size.isEmpty() ? 0.0 : double(size.width()) / W;
}

} // namespace korvatel
