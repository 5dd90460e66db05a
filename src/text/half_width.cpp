#include "text/half_width.h"

#include "text/numbers.h"

#include <algorithm>
#include <memory>
#include <unicode/translit.h>
#include <unicode/unistr.h>

namespace korvatel
{

namespace
{

// ICU's own transforms, plus the two standalone voicing marks, which the Windows mapping
// narrows and ICU's Fullwidth-Halfwidth leaves alone.
const char16_t kRules[] = u":: Hiragana-Katakana; :: Fullwidth-Halfwidth; "
                          u"\\u309B > \\uFF9E; \\u309C > \\uFF9F;";

icu::Transliterator *HalfWidthTransform()
{
    // A transliterator is not safe for use from two threads at once: one per thread.
    thread_local std::unique_ptr<icu::Transliterator> transform = [] {
        UParseError parseError {};
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createFromRules(
            "korvatel-half-width", icu::UnicodeString(kRules), UTRANS_FORWARD, parseError, status));
        if (U_FAILURE(status))
            made.reset();
        return made;
    }();
    return transform.get();
}

} // namespace

QString ToHalfWidth(const QString &text)
{
    // Neither transform changes ASCII, and building one costs tens of milliseconds (the
    // program's start reads its shop argument through here): plain text never builds it.
    const bool ascii
        = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        return TrimBlanks(text);
    icu::Transliterator *transform = HalfWidthTransform();
    if (!transform)
        return TrimBlanks(text);
    icu::UnicodeString buffer(
        reinterpret_cast<const UChar *>(text.utf16()), static_cast<int32_t>(text.size()));
    transform->transliterate(buffer);
    return TrimBlanks(
        QString(reinterpret_cast<const QChar *>(buffer.getBuffer()), buffer.length()));
}

} // namespace korvatel
