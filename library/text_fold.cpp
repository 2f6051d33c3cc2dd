#include "library/text_fold.h"

namespace zov {

namespace {

// Base letter of U+00C0..U+017F, or 0 to keep the character.
constexpr char kLatin[] =
    // U+00C0 ÀÁÂÃÄÅÆÇ ÈÉÊË ÌÍÎÏ
    "aaaaaa\0c"
    "eeee"
    "iiii"
    // U+00D0 ÐÑÒÓÔÕÖ× ØÙÚÛÜÝÞß
    "dnooooo\0"
    "ouuuuy\0\0"
    // U+00E0 àáâãäåæç èéêë ìíîï
    "aaaaaa\0c"
    "eeee"
    "iiii"
    // U+00F0 ðñòóôõö÷ øùúûüýþÿ
    "dnooooo\0"
    "ouuuuy\0y"
    // U+0100 ĀāĂăĄąĆćĈĉĊċČčĎď
    "aaaaaaccccccccdd"
    // U+0110 ĐđĒēĔĕĖėĘęĚěĜĝĞğ
    "ddeeeeeeeeeegggg"
    // U+0120 ĠġĢģĤĥĦħĨĩĪīĬĭĮį
    "gggghhhhiiiiiiii"
    // U+0130 İıĲĳĴĵĶķĸĹĺĻļĽľĿ
    "ii\0\0jjkkklllllll"
    // U+0140 ŀŁłŃńŅņŇňŉŊŋŌōŎŏ
    "lllnnnnnnnnnoooo"
    // U+0150 ŐőŒœŔŕŖŗŘřŚśŜŝŞş
    "oo\0\0rrrrrrssssss"
    // U+0160 ŠšŢţŤťŦŧŨũŪūŬŭŮů
    "ssttttttuuuuuuuu"
    // U+0170 ŰűŲųŴŵŶŷŸŹźŻżŽžſ
    "uuuuwwyyyzzzzzzs";
static_assert(sizeof(kLatin) == 0x180 - 0xC0 + 1);

char baseLetter(char32_t c)
{
    if (c >= 0xC0 && c < 0x180)
        return kLatin[c - 0xC0];
    return 0;
}

char16_t foldChar(char16_t c)
{
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c;
    if (const char b = baseLetter(c))
        return char16_t(b);
    return c;
}

} // namespace

QString foldForSearch(const QString& text)
{
    QString out(text.size(), Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    for (const QChar ch : text)
        *o++ = foldChar(ch.unicode());
    return out;
}

bool containsFolded(QStringView text, QStringView foldedNeedle)
{
    if (foldedNeedle.isEmpty())
        return true;
    if (text.size() < foldedNeedle.size())
        return false;
    thread_local QString buffer;
    buffer.resize(text.size());
    char16_t* o = reinterpret_cast<char16_t*>(buffer.data());
    for (const QChar ch : text)
        *o++ = foldChar(ch.unicode());
    return QStringView(buffer).contains(foldedNeedle);
}

void foldUtf8(const char* s, std::size_t n, std::string& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            out.push_back(char(c >= 'A' && c <= 'Z' ? c + 32 : c));
            ++i;
        } else if ((c & 0xE0) == 0xC0 && i + 1 < n) {
            // Every letter of the table is a two-byte sequence.
            const char32_t cp = (char32_t(c & 0x1F) << 6) | (p[i + 1] & 0x3F);
            if (const char b = baseLetter(cp))
                out.push_back(b);
            else
                out.append(s + i, 2);
            i += 2;
        } else {
            out.push_back(char(c));
            ++i;
        }
    }
}

} // namespace zov
