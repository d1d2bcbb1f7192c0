#include "kirv/base/native_names.h"

namespace kirv {

namespace {

constexpr char16_t EscapeBase = 0xDC00; // escaped byte b stands as EscapeBase + b (b >= 0x80)

bool escaped(char16_t u)
{
    return u >= EscapeBase + 0x80 && u <= EscapeBase + 0xFF;
}

// Length of the well-formed UTF-8 character at `at`, or 0 when the byte there starts none.
int utf8Length(const unsigned char* at, const unsigned char* end)
{
    const unsigned char c = at[0];
    if (c < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF)
        length = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (end - at < length || at[1] < low || at[1] > high)
        return 0;
    for (int i = 2; i < length; ++i)
        if ((at[i] & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

QString nameFromNative(QByteArrayView bytes)
{
    QString name;
    name.reserve(bytes.size());
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = at + bytes.size();
    while (at < end) {
        const auto* run = at;
        int length;
        while (at < end && (length = utf8Length(at, end)) > 0)
            at += length;
        name += QString::fromUtf8(reinterpret_cast<const char*>(run), at - run);
        if (at < end)
            name += QChar(char16_t(EscapeBase + *at++));
    }
    return name;
}

QByteArray nativeName(const QString& name)
{
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        const bool lone = i < name.size() && escaped(name[i].unicode()) &&
                          (i == 0 || !name[i - 1].isHighSurrogate());
        if (i < name.size() && !lone)
            continue;
        bytes += QStringView(name).sliced(run, i - run).toUtf8();
        if (lone)
            bytes += char(name[i].unicode() - EscapeBase);
        run = i + 1;
    }
    return bytes;
}

QString shownName(const QString& name)
{
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (escaped(shown[i].unicode()) && (i == 0 || !shown[i - 1].isHighSurrogate()))
            shown[i] = QChar::ReplacementCharacter;
    return shown;
}

QStringList nativeArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << nameFromNative(argv[i]);
    return arguments;
}

} // namespace kirv
