#pragma once

#include <QString>
#include <QStringList>

namespace korvatel
{

// Option.ini: the picture kinds of the browser and the date scan, list options and the
// clean-up words, as bare words plus MinSize= and MaxSize= lines.
struct TOptionSettings {
    bool Jpg = true;
    bool Jpeg = true;
    bool Bmp = false;
    // These eight are written when chosen but always start off: a choice lasts one run.
    bool Bid = false;
    bool Gif = false;
    bool Png = false;
    bool Avi = false;
    bool Icon = false;
    bool Meta = false;
    bool Html = false;
    bool Res = false;
    // The photo kinds of today's cameras and phones start on, and switching one off lasts: the
    // file keeps only those switched off ("NOTIFF", "NOWEBP", "NOHEIF", "NOAVIF"), so that a
    // file written before they were offered shows them as well.
    bool Tiff = true;
    bool Webp = true;
    bool Heif = true; // ".heic", ".heif" and ".hif"
    bool Avif = true;
    bool Temp = false; // show pictures of the browser's download cache
    bool TempOn = false; // keep that choice across starts
    bool Lan = false; // network drives in the date scan
    bool Size = false; // only files within MinSize..MaxSize
    bool FullMake = false; // full (slow) date scan
    int MinSize = 0;
    int MaxSize = 0;
    bool CloseNotDelThumb = true; // keep the thumbnail cache at shutdown
    bool CloseDelDateList = false; // delete \Tree at shutdown
    bool CloseDelTemplate = false; // delete KorvatelTemp at shutdown (empty favourites only)

    // Reads the file. A missing file gives the defaults above. A file that names neither
    // CloseNotDelThumb nor CloseDelThumb asks for the thumbnail cache to be emptied at once:
    // the result says so, and the caller empties \Works.
    struct TLoadResult {
        bool emptyWorksNow = false;
    };
    TLoadResult Load(const QString &path);

    // The switch written as a bare word ("JPG", "JPEG", "BMP", "SIZE", "CloseDelDateList", ...),
    // or the kind written with "NO" in front when off ("HEIF"); nullptr for a word that names no
    // switch.
    bool *Switch(QStringView word);
    const bool *Switch(QStringView word) const
    {
        return const_cast<TOptionSettings *>(this)->Switch(word);
    }

    // The words that Save writes, in order; empty when nothing but JPG and JPEG would be
    // written, in which case the file is not written at all.
    QStringList Words() const;
    // Deletes the file and writes it again when Words() is not empty. False when the write
    // failed.
    bool Save(const QString &path) const;

    // The clean-up at shutdown that the words ask for. Nothing is deleted when there is no
    // file to hold the words.
    bool EmptyWorksAtShutdown() const { return !CloseNotDelThumb && !Words().isEmpty(); }
    bool DeleteTreeAtShutdown() const { return CloseDelDateList; }
    bool DeleteTemplatesAtShutdown() const { return CloseDelTemplate; }
};

// Option2.ini: the switches of "操作方法の設定", merged into the existing file at shutdown so
// that lines the program does not know stay.
struct TOption2Settings {
    bool ManualExpBmp = false;
    bool ShutterOff = false; // "_ShutterOff_"
    bool NoPointHint = false;
    bool UnMouseFocus = false;
    bool CampusAllLoad = false;
    // "ShootingDateList": the date scan files a JPEG under its Exif DateTimeOriginal instead of
    // its file time, so copied photos keep their day.
    bool ShootingDateList = false;
    // "NoPrintCheck": "注文へ" goes to the summary without listing the prints that have too
    // few pixels for their size.
    bool NoPrintCheck = false;

    // unMouseFocusDefault is the value UnMouseFocus takes when the file does not name it.
    void Load(const QString &path, bool unMouseFocusDefault);
    bool Save(const QString &path) const;
};

} // namespace korvatel
