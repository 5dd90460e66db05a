#pragma once

#include <QString>
#include <QStringList>

namespace korvatel
{

// The number of the telephone pad: "?" until the first key, at most 13 characters.
class TTelNumber
{
public:
    QString Text() const { return FText; }
    // A key of the pad: "0"-"9" and "-" are appended (replacing the initial "?"), "C" clears,
    // "BS" takes the last character back. True when the number changed.
    bool Press(const QString &key);
    // "完了" is allowed once the number has at least 4 characters and its last 4 are digits.
    bool CanFinish() const;

    static constexpr int kMaxLength = 13;

private:
    QString FText = QStringLiteral("?");
};

// The pages of the name and mail keyboard.
enum class TNamePage { npKana, npAlphabet, npSmall };

// The 50 keys of a page of the name keyboard, row by row (ten columns of five); empty keys are
// empty texts. In mail mode the keys are the characters of a mail address.
QStringList NamePageKeys(TNamePage page, bool mailMode);
// The domain endings and the phone carriers' mail domains of the mail keyboard.
QStringList MailDomainKeys();

// The text of the name and mail keyboard.
class TNameText
{
public:
    explicit TNameText(bool mailMode = false)
        : FMailMode(mailMode)
    {
    }

    QString Text() const { return FText; }
    void SetText(const QString &text) { FText = text; }
    bool MailMode() const { return FMailMode; }

    // A key: in mail mode a key beginning with "@" replaces everything from an existing "@" on,
    // and a key beginning with "." (other than "." alone) replaces the domain from its first "."
    // on when the domain already holds one; every other key is appended.
    void Press(const QString &key);
    void Space();
    void BackSpace();
    void Clear();
    // Cycles the last character through its plain, voiced and half-voiced forms.
    void Voice();

    bool CanSpace() const { return !FText.endsWith(QLatin1Char(' ')); }
    bool CanVoice() const;
    // The caption of the finish key: "完了（次へ）" with text, "スキップ（次へ）" without.
    QString FinishCaption() const;

private:
    QString FText;
    bool FMailMode;
};

// The forms of a kana with voicing marks, plain first ("ハバパ", "カガ"); empty for a character
// without them.
QString VoicingForms(QChar c);

} // namespace korvatel
