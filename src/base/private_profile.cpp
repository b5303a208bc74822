#include "base/private_profile.h"

#include "base/native_path.h"
#include "base/state_file.h"

#include <limits>

namespace
{

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

// The leading decimal number of an already trimmed, non-empty value.
int leadingInt(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Accumulated as a negative number, which has room for INT_MIN.
    constexpr qint64 lowest = std::numeric_limits<int>::min();
    qint64 magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 - (text[i].unicode() - u'0');
        if (magnitude < lowest)
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    if (negative)
        return int(magnitude);
    return magnitude < -std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                        : int(-magnitude);
}

} // namespace

PrivateProfile PrivateProfile::load(const QString &path)
{
    return read(path).value_or(PrivateProfile());
}

bool PrivateProfile::isProfileFormat(const QByteArray &content)
{
    return state_file::holdsLineStartingWith(content, "[");
}

std::optional<PrivateProfile> PrivateProfile::read(const QString &path)
{
    const std::optional<QByteArray> content =
        state_file::readWhole(path, state_file::kDefaultReadLimit, isProfileFormat);
    if (!content)
        return std::nullopt;
    return parse(*content);
}

PrivateProfile PrivateProfile::parse(const QByteArray &content)
{
    PrivateProfile profile;
    for (const QByteArray &bytes : state_file::splitLines(content)) {
        // Values are mostly paths, whose bytes are kept even when they are
        // not UTF-8 (LastDir in an old Shift_JIS archive).
        const QString text = native_path::decode(bytes);
        const QStringView line = state_file::trimBlanks(text);
        if (line.startsWith(u'[')) {
            const qsizetype close = line.lastIndexOf(u']');
            if (close > 0) {
                Section section;
                section.name = state_file::trimBlanks(line.sliced(1, close - 1)).toString();
                profile.sections_.append(section);
                continue;
            }
        }
        if (profile.sections_.isEmpty()) {
            Section preamble;
            preamble.hasHeader = false;
            profile.sections_.append(preamble);
        }
        Section &current = profile.sections_.last();
        Line entry;
        const qsizetype equals = line.indexOf(u'=');
        // The line is trimmed, so a key before "=" is never empty.
        if (current.hasHeader && equals > 0 && !line.startsWith(u';')) {
            entry.key = state_file::trimBlanks(line.first(equals)).toString();
            entry.value = state_file::trimBlanks(line.sliced(equals + 1)).toString();
        } else {
            entry.raw = bytes;
        }
        current.lines.append(entry);
    }
    return profile;
}

bool PrivateProfile::save(const QString &path) const
{
    return state_file::writeWhole(path, toBytes());
}

QByteArray PrivateProfile::toBytes() const
{
    QByteArray out;
    for (const Section &section : sections_) {
        if (section.hasHeader)
            out += '[' + native_path::encode(section.name) + "]\r\n";
        for (const Line &line : section.lines) {
            if (line.key.isEmpty())
                out += line.raw;
            else
                out += native_path::encode(line.key) + '=' + native_path::encode(line.value);
            out += "\r\n";
        }
    }
    return out;
}

qsizetype PrivateProfile::sectionIndex(const QString &name) const
{
    const QStringView wanted = state_file::trimBlanks(name);
    for (qsizetype i = 0; i < sections_.size(); ++i) {
        if (sections_[i].hasHeader && sameName(sections_[i].name, wanted))
            return i;
    }
    return -1;
}

qsizetype PrivateProfile::keyIndex(const Section &section, const QString &key)
{
    const QStringView wanted = state_file::trimBlanks(key);
    if (wanted.isEmpty())
        return -1;
    for (qsizetype i = 0; i < section.lines.size(); ++i) {
        const QString &name = section.lines[i].key;
        if (!name.isEmpty() && sameName(name, wanted))
            return i;
    }
    return -1;
}

const PrivateProfile::Line *PrivateProfile::entry(const QString &section, const QString &key) const
{
    const qsizetype s = sectionIndex(section);
    if (s < 0)
        return nullptr;
    const qsizetype k = keyIndex(sections_[s], key);
    return k < 0 ? nullptr : &sections_[s].lines[k];
}

bool PrivateProfile::contains(const QString &section, const QString &key) const
{
    return entry(section, key) != nullptr;
}

QString PrivateProfile::readString(const QString &section, const QString &key,
                                   const QString &defaultValue) const
{
    const Line *line = entry(section, key);
    return line ? line->value : defaultValue;
}

int PrivateProfile::readInt(const QString &section, const QString &key, int defaultValue) const
{
    const QString value = readString(section, key);
    // As the Windows call does: a present but empty value is the default too.
    return value.isEmpty() ? defaultValue : leadingInt(value);
}

bool PrivateProfile::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = state_file::trimBlanks(section).toString();
    const QString keyName = state_file::trimBlanks(key).toString();
    if (keyName.isEmpty() || keyName.contains(u'=') || hasLineBreak(keyName) ||
        keyName.startsWith(u'[') || keyName.startsWith(u';') || hasLineBreak(sectionName))
        return false;

    QString flat = value;
    flat.replace(u'\r', u' ').replace(u'\n', u' ');
    const QString stored = state_file::trimBlanks(flat).toString();

    const qsizetype s = sectionIndex(sectionName);
    if (s < 0) {
        Section added;
        added.name = sectionName;
        added.lines.append({keyName, stored, {}});
        sections_.append(added);
        return true;
    }
    QList<Line> &lines = sections_[s].lines;
    if (const qsizetype k = keyIndex(sections_[s], keyName); k >= 0) {
        lines[k].value = stored;
        return true;
    }
    // After the last non-blank line, so that blank lines separating this
    // section from the next stay where they are.
    qsizetype at = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line &line = lines[i];
        if (!line.key.isEmpty() || !state_file::trimBlanks(QString::fromUtf8(line.raw)).isEmpty())
            at = i + 1;
    }
    lines.insert(at, {keyName, stored, {}});
    return true;
}

bool PrivateProfile::writeInt(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

QStringList PrivateProfile::sections() const
{
    QStringList names;
    for (const Section &section : sections_) {
        if (section.hasHeader)
            names.append(section.name);
    }
    return names;
}

QStringList PrivateProfile::keys(const QString &section) const
{
    QStringList names;
    if (const qsizetype s = sectionIndex(section); s >= 0) {
        for (const Line &line : sections_[s].lines) {
            if (!line.key.isEmpty())
                names.append(line.key);
        }
    }
    return names;
}
