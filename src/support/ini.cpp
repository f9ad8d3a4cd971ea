#include "support/ini.h"

#include "support/gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <fcntl.h>
#include <unistd.h>
#include <QVector>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace zorvik::support {

namespace {

struct Line {
    QByteArray text; // without its line ending
    QByteArray eol;  // "\r\n", "\n" or "" for a last line without one
};

QVector<Line> split_lines(const QByteArray& bytes)
{
    QVector<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', start);
        if (nl < 0) {
            lines.push_back({bytes.mid(start), QByteArray()});
            break;
        }
        const bool crlf = nl > start && bytes[nl - 1] == '\r';
        const qsizetype end = crlf ? nl - 1 : nl;
        lines.push_back({bytes.mid(start, end - start), crlf ? "\r\n"_ba : "\n"_ba});
        start = nl + 1;
    }
    return lines;
}

bool is_space(char c) { return c == ' ' || c == '\t'; }

QByteArray trimmed(const QByteArray& b)
{
    qsizetype begin = 0;
    qsizetype end = b.size();
    while (begin < end && is_space(b[begin]))
        ++begin;
    while (end > begin && is_space(b[end - 1]))
        --end;
    return b.mid(begin, end - begin);
}

QString trimmed_text(const QString& s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && (s[begin] == u' ' || s[begin] == u'\t'))
        ++begin;
    while (end > begin && (s[end - 1] == u' ' || s[end - 1] == u'\t'))
        --end;
    return s.mid(begin, end - begin);
}

// Section name of a header line, or nothing when the line is not a header.
std::optional<QString> header_name(const QByteArray& line)
{
    const QByteArray t = trimmed(line);
    if (!t.startsWith('['))
        return std::nullopt;
    // Decode first: a GBK trail byte may look like "]".
    QString name = from_gbk(t.mid(1));
    const qsizetype close = name.indexOf(u']');
    if (close >= 0)
        name.truncate(close);
    return trimmed_text(name);
}

bool is_comment(const QByteArray& line)
{
    const QByteArray t = trimmed(line);
    return t.startsWith(';');
}

// Where a key lives in the file, as far as the lines tell.
struct Location {
    int section = -1;        // header line of the first matching section
    int last_content = -1;   // last non-blank line of that section (the header if none)
    int key = -1;            // line of the key, or -1
};

Location locate(const QVector<Line>& lines, const QString& section, const QString& key)
{
    Location loc;
    bool inside = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray& text = lines[i].text;
        if (const auto name = header_name(text)) {
            if (inside)
                break; // only the first matching section counts
            inside = name->compare(section, Qt::CaseInsensitive) == 0;
            if (inside) {
                loc.section = i;
                loc.last_content = i;
            }
            continue;
        }
        if (!inside)
            continue;
        if (!trimmed(text).isEmpty())
            loc.last_content = i;
        if (is_comment(text))
            continue;
        const qsizetype eq = text.indexOf('=');
        if (eq < 0)
            continue;
        // "=" (0x3D) is never a GBK trail byte, so the first one ends the key.
        if (trimmed_text(from_gbk(text.left(eq))).compare(key, Qt::CaseInsensitive) == 0) {
            loc.key = i;
            return loc;
        }
    }
    return loc;
}

QString section_or_boot(const QString& section)
{
    const QString name = trimmed_text(section);
    return name.isEmpty() ? u"Boot"_s : name;
}

// A name must come back as itself: no line break or NUL, and nothing GBK cannot hold (such a
// character would be written as "?" and the name never found again).
bool storable_name(const QString& name)
{
    return !name.contains(u'\r') && !name.contains(u'\n') && !name.contains(QChar(0)) &&
           from_gbk(to_gbk(name)) == name;
}

// Makes a rename inside `folder` survive a power cut.
void sync_folder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

namespace {

QString read_value(const QString& section, const QString& key, const QString& file,
                   qsizetype limit)
{
    if (file.isEmpty())
        return QString();
    const QString sec = section_or_boot(section);
    const QString k = trimmed_text(key);
    if (k.isEmpty())
        return QString();
    QFile f(file);
    if (!f.exists() || !f.open(QIODevice::ReadOnly))
        return QString();
    const QVector<Line> lines = split_lines(f.readAll());
    const Location loc = locate(lines, sec, k);
    if (loc.key < 0)
        return QString();
    const QByteArray& text = lines[loc.key].text;
    QByteArray value = trimmed(text.mid(text.indexOf('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    const qsizetype nul = value.indexOf('\0');
    if (nul >= 0)
        value.truncate(nul);
    return from_gbk(limit > 0 ? gbk_prefix(value, limit) : value);
}

} // namespace

QString ini_read(const QString& section, const QString& key, const QString& file)
{
    return read_value(section, key, file, kIniReadLimit);
}

QString ini_read_whole(const QString& section, const QString& key, const QString& file)
{
    return read_value(section, key, file, 0);
}

namespace {
// Writes the lines back (atomically, owner-only) unless they are what the file holds.
int write_lines(const QString& file, const QVector<Line>& lines, const QByteArray& old);
} // namespace

int ini_write(const QString& section, const QString& key, const QString& value,
              const QString& file)
{
    if (file.isEmpty() || key.isEmpty() || value.isEmpty())
        return 0;
    const QString sec = section_or_boot(section);
    const QString k = trimmed_text(key);
    // A name that would read back as something else, or split the line, is refused.
    if (k.isEmpty() || !storable_name(sec) || !storable_name(k) || sec.contains(u']') ||
        k.contains(u'=') || k.startsWith(u'[') || k.startsWith(u';'))
        return 0;
    // Values are single lines: a line break inside one would cut it and forge other keys.
    QString v = value;
    v.replace(u"\r\n"_s, u" "_s).replace(u'\r', u' ').replace(u'\n', u' ').replace(QChar(0), u' ');

    QByteArray old;
    QFile existing(file);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return 0;
        old = existing.readAll();
        existing.close();
    }
    QVector<Line> lines = split_lines(old);
    QByteArray eol = "\r\n"_ba;
    for (const Line& line : lines) {
        if (!line.eol.isEmpty()) {
            eol = line.eol;
            break;
        }
    }
    const Location loc = locate(lines, sec, k);
    const QByteArray encoded = to_gbk(v);
    if (loc.key >= 0) {
        Line& line = lines[loc.key];
        line.text = line.text.left(line.text.indexOf('=') + 1) + encoded;
    } else {
        QVector<Line> added;
        int at = int(lines.size());
        if (loc.section < 0) {
            added.push_back({"["_ba + to_gbk(sec) + "]"_ba, eol});
        } else {
            at = loc.last_content + 1;
        }
        added.push_back({to_gbk(k) + "="_ba + encoded, eol});
        if (at > 0 && lines[at - 1].eol.isEmpty())
            lines[at - 1].eol = eol;
        for (int i = 0; i < added.size(); ++i)
            lines.insert(at + i, added[i]);
    }
    return write_lines(file, lines, old);
}

namespace {

// Reads the file a removal edits; false, with what the removal returns, when there is no file
// (1: nothing to remove) or it cannot be read (0).
bool read_for_removal(const QString& file, QByteArray& old, int& result)
{
    QFile existing(file);
    result = 1;
    if (file.isEmpty() || !existing.exists())
        return false;
    result = 0;
    if (!existing.open(QIODevice::ReadOnly))
        return false;
    old = existing.readAll();
    return true;
}

} // namespace

int ini_delete(const QString& section, const QString& key, const QString& file)
{
    QByteArray old;
    int result = 1;
    if (key.isEmpty() || !read_for_removal(file, old, result))
        return result;
    QVector<Line> lines = split_lines(old);
    const Location loc = locate(lines, section_or_boot(section), trimmed_text(key));
    if (loc.key < 0)
        return 1;
    lines.remove(loc.key);
    return write_lines(file, lines, old);
}

int ini_delete_section(const QString& section, const QString& file)
{
    QByteArray old;
    int result = 1;
    if (!read_for_removal(file, old, result))
        return result;
    QVector<Line> lines = split_lines(old);
    const Location loc = locate(lines, section_or_boot(section), QString());
    if (loc.section < 0)
        return 1;
    qsizetype end = loc.section + 1;
    while (end < lines.size() && !header_name(lines[end].text))
        ++end;
    lines.remove(loc.section, end - loc.section);
    return write_lines(file, lines, old);
}

namespace {

int write_lines(const QString& file, const QVector<Line>& lines, const QByteArray& old)
{
    QByteArray out;
    out.reserve(old.size() + 64);
    for (const Line& line : lines)
        out += line.text + line.eol;
    if (out == old)
        return 1;

    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile save(file);
    if (!save.open(QIODevice::WriteOnly))
        return 0;
    save.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // Every step is checked before the rename: a buffered write that fails only when flushed
    // (a full disk) must leave the old file in place and report the failure.
    if (save.write(out) != out.size() || !save.flush() || ::fsync(save.handle()) != 0) {
        save.cancelWriting();
        return 0;
    }
    if (!save.commit())
        return 0;
    sync_folder(QFileInfo(file).absolutePath());
    return 1;
}

} // namespace

} // namespace zorvik::support
