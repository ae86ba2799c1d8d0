#pragma once

// Helpers shared by the note's tests: the store as it is on disk, and a count of the
// store's replacements on disk (every write replaces the file atomically).

#include "app/Globals.h"
#include "settings/ConfFormat.h"
#include "settings/Settings.h"
#include "sticky/StickyNote.h"
#include "sticky/modScrollbar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/inotify.h>
#include <unistd.h>

namespace horolet::test {

// Read straight from the file, bypassing any cache of the process.
inline QString StoredOption(const QString& key) {
    QFile f(SettingsFilePath());
    QSettings::SettingsMap map;
    if (f.open(QIODevice::ReadOnly)) readConf(f, map);
    return map.value(QStringLiteral("Options/") + key).toString();
}

// Counts the times the store file is put in place (created or renamed over).
class StoreReplacements final {
public:
    StoreReplacements() : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        const QFileInfo file(SettingsFilePath());
        QDir().mkpath(file.path());
        m_name = QFile::encodeName(file.fileName());
        if (m_fd >= 0)
            inotify_add_watch(m_fd, QFile::encodeName(file.path()).constData(),
                              IN_MOVED_TO | IN_CREATE);
    }
    ~StoreReplacements() {
        if (m_fd >= 0) close(m_fd);
    }
    StoreReplacements(const StoreReplacements&) = delete;
    StoreReplacements& operator=(const StoreReplacements&) = delete;

    // Replacements since the last call, -1 without inotify.
    int take() {
        if (m_fd < 0) return -1;
        int count = 0;
        alignas(inotify_event) char buf[8192];
        for (ssize_t n; (n = read(m_fd, buf, sizeof buf)) > 0;) {
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
                if (e->len > 0 && m_name == QByteArray(e->name)) ++count;
                at += ssize_t(sizeof(inotify_event) + e->len);
            }
        }
        return count;
    }

private:
    int m_fd;
    QByteArray m_name;
};

// The note's own values, cleared like the other process-wide values.
inline void ResetNoteValues() {
    Hook() = {};
    Grip() = {};
}

// Note values as the main window's load would leave them.
inline void SetNoteValues(const QString& title, const QString& text, float left = 1500,
                          float top = 1800, float width = 3000, float height = 3000) {
    Sticky().StickyTitle = title;
    Sticky().StickyText = text;
    Sticky().StickyLeft = left;
    Sticky().StickyTop = top;
    Sticky().StickyWidth = width;
    Sticky().StickyHeight = height;
}

}  // namespace horolet::test
