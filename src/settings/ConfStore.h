#pragma once

#include <QString>
#include <QVariant>

namespace horolet {

// The settings file on Linux. A write shuts out other writers of the file, in this or
// another process, with a lock on its folder (flock: no lock file to sync, and the
// kernel drops it when a process dies), applies the change to the file as it is on disk
// and puts the new file in place atomically with one sync to disk. The file last read
// or written is kept in memory and used again while the file on disk is the same one:
// every write puts a new file in place, and a hand edit changes its time or size.

// The stored value of a full key ("Options/Top"); invalid when there is none.
QVariant ReadConfValue(const QString& path, const QString& key);
// False when the file could not be written; the old file is then untouched.
bool WriteConfValue(const QString& path, const QString& key, const QString& value);

}  // namespace horolet
