#include "settings/ConfStore.h"

#include "settings/ConfFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSaveFile>
#include <QSettings>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace horolet {

namespace {

struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    timespec mtime{};

    static FileIdentity of(const struct stat& st) {
        return {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    }
    bool operator==(const FileIdentity& o) const {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

struct CachedFile {
    FileIdentity identity;
    QSettings::SettingsMap map;
};

QMutex g_mutex;
QHash<QString, CachedFile> g_files;

// The file's content as it is on disk now; empty when there is no file.
QSettings::SettingsMap current(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        g_files.remove(path);
        return {};
    }
    struct stat st {};
    if (fstat(f.handle(), &st) != 0) return {};
    const FileIdentity now = FileIdentity::of(st);
    const auto cached = g_files.constFind(path);
    if (cached != g_files.cend() && cached->identity == now) return cached->map;
    QSettings::SettingsMap map;
    readConf(f, map);
    g_files.insert(path, {now, map});
    return map;
}

// Holds the folder's write lock for its lifetime.
class FolderLock final {
public:
    explicit FolderLock(const QString& folder)
        : m_fd(open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd >= 0) {
            while (flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock() {
        if (m_fd >= 0) close(m_fd);  // closing drops the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd;
};

}  // namespace

QVariant ReadConfValue(const QString& path, const QString& key) {
    const QMutexLocker locker(&g_mutex);
    return current(path).value(key);
}

bool WriteConfValue(const QString& path, const QString& key, const QString& value) {
    const QMutexLocker locker(&g_mutex);
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder)) return false;
    const FolderLock lock(folder);
    QSettings::SettingsMap map = current(path);
    map.insert(key, value);

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) return false;
    if (!writeConf(out, map) || !out.flush()) {
        out.cancelWriting();
        return false;
    }
    // The new file keeps this inode, size and time when it is renamed into place.
    struct stat st {};
    const bool known = fstat(out.handle(), &st) == 0;
    if (!out.commit()) {  // syncs the data to disk, then renames over the old file
        g_files.remove(path);
        return false;
    }
    if (known)
        g_files.insert(path, {FileIdentity::of(st), map});
    else
        g_files.remove(path);
    return true;
}

}  // namespace horolet
