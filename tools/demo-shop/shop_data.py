"""The demo shop "1234": its shop data container (HostFmt.ini) with every section, and the
order host table in scrambled form pointing at the demo's own FTP server."""

from korv_scramble import scramble

SHOP_ID = "1234"
SHOP_ALIAS = "デモ写真館"
FTP_USER = "shop1234"
FTP_PASSWORD = "demo1234"
FTP_BASE_DIR = "/order"
PHONE_BASE_DIR = "/keitai"
# The phone model table on the demo's FTP server (Keitai.ini lines).
KEITAI_TABLE = (
    "Prov=docomo,Maker=Panasonic,Model=P505iS,W=240,H=320,Fmt=JPG,Sys=TRUE\r\n"
    "Prov=docomo,Maker=NEC,Model=N505i,W=240,H=320,Fmt=JPG,Sys=TRUE\r\n"
    "Prov=au,Maker=KYOCERA,Model=A1101K,W=120,H=130,Fmt=PNG,Sys=TRUE\r\n"
    "Prov=デモ,Maker=デモ電機,Model=DEMO-1,W=144,H=176,Fmt=GIF\r\n"
)
MEMBERS = {"member01": "pass01"}
# What the order host table offers as the current program: older than any build, so the
# version gate stays quiet unless a test asks otherwise.
OFFERED_VERSION = "1.00"
OFFERED_BUILD = "2026.01.01.01"

OPTION = """\
_SHOP_=デモ写真館 八王子店
_TEL_=042-000-1234
_ADRS_=東京都八王子市明神町1-2-3
_HOMEPAGE_=http://127.0.0.1/
_MESS_=いつもご利用ありがとうございます。
_SentDate_=仕上がりは通常3日後です。
_SentAten_=ご注文を受け付けました。確認メールをお送りします。
_HokanAten_=画像は30日間保管します。
ThumbColCount=3
ThumbCType=0
FinesLow=600
FinesHi=680
CdrType=0
CdrNdxType=nxJPG
CdrNdxSize=L
DateColor=33023
DateStyle=fsBold
DefDateNotPrint=FALSE
Kessais=クレジット,宅配便代引,銀行等振込,ｺﾝﾋﾞﾆ決済,ご来店にて
Haisoos=メール便,宅配便,ご来店
MailbinURL=https://tracking.example.jp/mail
Mailbin="1,160","31,240","101,400"
Takuhai=0=800,1=1500,47=1500,13=700
Daibiki="0,330","10000,440","30000,660"
Credit="0,0","20000,100"
Combini="0,110","10000,220"
UseValued=TRUE
ValuedType=金額値引き
ValuedList="3000,100","5000,300"
UseNumed=TRUE
NumedType=ﾎﾟｲﾝﾄ値加算
NumedList="50,10","100,30"
UseSoryo=TRUE
SoryoTgt=stgValue
SoryoValue1=5000
SoryoNext=snxtNone
SoryoMaxOff=0
DiscTitle=いつでも割引
UseCommentTop=TRUE
TopComments=年末年始は12月29日から1月3日までお休みします。
BankStrings=○○銀行 八王子支店,普通 1234567"""

SIZES = [
    # name, channel, CD channel, width*height mm, used, net price, justify price
    ("L", "101", "201", "127*89", "*D", "29", "19"),
    ("2L", "102", "202", "178*127", "*D", "89", "70"),
    ("L-DSC", "111", "211", "119*89", "*D", "29", "19"),
    ("はがき", "120", "220", "152*102", "D", "50", ""),
    ("六切", "130", "230", "305*203", "*D", "600", "600"),
    ("四切", "131", "231", "385*254", "*D", "900", "900"),
    ("携帯", "", "", "89*89", "-", "", ""),
]


def order_host_lines(ftp_host, service_url):
    return [
        "FtpHost=" + ftp_host,
        "FtpUserID=" + FTP_USER,
        "FtpPassword=" + FTP_PASSWORD,
        "FtpHomeDir=/",
        "FtpBaseDir=" + FTP_BASE_DIR,
        "OrderMail=order@demo-shop.example",
        "OrderMailCC=",
        "OrderCard=1",
        "_KorvatelLnk_=TRUE",
        "_LOAD_VER_=" + OFFERED_VERSION,
        "_LOAD_UPDATE_=" + OFFERED_BUILD,
        "_LOAD_URL_=" + service_url + "/Korvatel/Korvatel1234",
        "_RENT_TYPE_=FALSE",
        "_SAVE_FTP_AUTO_=FALSE",
        "_KORVATEL_PASSIVE_=1",
        "_KORVATEL_PRINTER_=0",
        "_PrinterName_=QSS-3301",
        "_PaperName_=CA-PAPER Type2",
        "_ChemicalName_=CP-49E",
        "_CustomHelp_=FALSE",
        "KtFtpHost=" + ftp_host,
        "KtFtpUserID=" + FTP_USER,
        "KtFtpPassword=" + FTP_PASSWORD,
        "KtFtpHomeDir=/",
        "KtFtpBaseDir=" + PHONE_BASE_DIR,
        "KeitaiURL=" + service_url + "/keitai",
    ]


def host_fmt(ftp_host, service_url, server_build):
    """The container text (str; written as Shift-JIS with CR LF by the caller)."""
    out = ["_ServerBuild_=" + server_build]

    def section(marker, lines):
        out.append(":>" + marker)
        out.extend(lines)
        out.append(":>END")

    section("OPTION", OPTION.splitlines())
    section("CHARGE", ["Name=基本料", "Value=100", "Type=2"])
    section("NETCHARGE", ["Name=基本料", "Value=0", "Type=2"])
    section("CDPRICE", ["cdtNormal=700", "cdtJustify=600", "cdtJustify_EX=700,500",
                        "cdtCopy=500", "LimitSize=650", "LimitFile="])
    section("NETCDPRICE", ["cdtNormal=600", "cdtJustify=500", "cdtCopy=400",
                           "LimitSize=650", "LimitFile="])
    section("KTPRICE", ["MaxNum=3", "DefPrice=100", "AddPrice=50"])
    section("SIZENAME", [s[0] for s in SIZES])
    section("CHANNEL", [s[1] for s in SIZES])
    section("CHANNELCD", [s[2] for s in SIZES])
    section("SIZEXYEXT", [s[3] for s in SIZES])
    section("SIZEXY", [s[3] for s in SIZES])
    section("USEDSIZE", [s[4] for s in SIZES])
    prices = []
    for name, _, _, _, _, net, justify in SIZES:
        if net:
            prices.append("prcNet|%s=%s" % (name, net))
        if justify:
            prices.append("prcJustify|%s=%s" % (name, justify))
    prices += ["prcRepeat|L=27", "prcRepeat|2L=85", "prcNormal|L=35", "prcNormal|2L=95"]
    section("PRICES", prices)
    section("TAX", ["_TAX_PAR_=0.1", "_TAX_I_ON_=FALSE", "_ROUNDING_=1", "_INTAX_DISC_=FALSE"])
    section("ORVANE", ["Use=FALSE"])
    section("ORDERHOST", ["*" + scramble(line)
                          for line in order_host_lines(ftp_host, service_url)])
    out.append("_ServerR_=TRUE")
    return "\r\n".join(out) + "\r\n"
