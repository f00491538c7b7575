#pragma once
// Key-by-key access to profile files ("[section]" lines and "key=value"
// lines in GBK), with the reading and writing rules of the Windows profile
// calls, so a file edited on one system reads the same on the other.
// Characters GBK lacks are stored in GB18030 (see GbkCodec); a file that
// begins with the UTF-8 or a UTF-16 byte-order mark is read and written in
// that form and keeps its mark; one without a mark that is valid UTF-8 and
// has section or key names beyond ASCII (as editors on Linux save it) is
// read and written as UTF-8 and gains no mark.

#include <QList>
#include <QString>

namespace rt {

// The value of key in section, or def when the file, the section or the key
// is missing. Names match case-insensitively for ASCII letters; the first of
// duplicate sections or keys wins; surrounding blanks and one pair of
// matching quotes around the value are dropped; values are cut to 10239
// bytes. Leading characters up to the space are skipped in the three names;
// if one of them is then empty the result is "" whatever def says.
QString readIniEntry(const QString& file, const QString& section, const QString& key,
                     const QString& def = QString());

// Writes value under key in section, creating the file, the section (at the
// end) or the key (after the last key of its section) as needed. Every other
// byte of the file is kept; new lines end in CR LF; the file is saved with
// rt::saveWholeFile. A value is a single line: anything from its first line
// break on is not stored. False when the file cannot be read or written
// (it is then as it was), or a name is empty or could not be read back as
// written.
bool writeIniEntry(const QString& file, const QString& section, const QString& key,
                   const QString& value);

struct IniEntry {
    QString section, key, value;
};
// The entries written as writeIniEntry writes each, in order, in one save
// of the file: all of them or, when the save fails, none.
bool writeIniEntries(const QString& file, const QList<IniEntry>& entries);

// Reads and writes keep the last bytes of each file in memory and read the
// file again only when its size or change time differs. This drops them all,
// so the next read goes to the disk whatever the stamps say: for the
// moments a file is read anew on purpose (an import).
void forgetIniFiles();

}  // namespace rt
