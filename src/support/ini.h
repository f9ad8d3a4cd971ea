#pragma once
// The settings file: an INI file in GBK read and written key by key with the semantics of the
// Windows private-profile functions, so files written by the Windows program load and survive.

#include <QString>

namespace zorvik::support {

// Bytes one read returns at most (the Windows program's 40980-character buffer, NUL included).
inline constexpr qsizetype kIniReadLimit = 40979;

// Writes key=value into [section] ("Boot" when empty), keeping every other byte of the file.
// Returns non-zero on success and 0 when nothing was written (empty file name, key or value,
// a name that cannot be stored, or a failed write). The write is atomic and the file is
// readable by its owner only; a missing folder is created.
int ini_write(const QString& section, const QString& key, const QString& value,
              const QString& file);

// Removes key from [section], keeping every other byte; non-zero when the key is gone (or was
// never there), 0 when the file could not be written.
int ini_delete(const QString& section, const QString& key, const QString& file);

// Removes [section] (the first of that name) with every line up to the next section, keeping
// every other byte; non-zero when it is gone (or was never there), 0 when the file could not be
// written.
int ini_delete_section(const QString& section, const QString& file);

// The value of key in [section] ("Boot" when empty), or "" when absent. Section and key names
// match without regard to case; surrounding blanks and one pair of enclosing quotes are dropped.
QString ini_read(const QString& section, const QString& key, const QString& file);

// The same without the buffer limit: for the monitor list, which outgrows it at a few hundred
// monitors and would otherwise come back cut (its last record broken, the rest lost).
QString ini_read_whole(const QString& section, const QString& key, const QString& file);

} // namespace zorvik::support
