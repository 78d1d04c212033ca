#include "platform/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <array>
#include <cstring>

namespace {

// Changes to the file itself, wherever it lives (a symbolic link's target included).
constexpr std::uint32_t kFileEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
// What happens to the name in its folder: replaced, created, deleted, moved away, written.
constexpr std::uint32_t kFolderEvents =
    IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_ONLYDIR;
// A burst of changes (a program writing in pieces, a save's rename) is told once.
constexpr int kSettleMilliseconds = 100;

}  // namespace

struct TFileWatch::Watcher {
    Watcher(TFileWatch& watchOwner, std::function<void()> onChange) : owner(watchOwner), changed(std::move(onChange)) {
        fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        settle.setSingleShot(true);
        settle.setInterval(kSettleMilliseconds);
        QObject::connect(&settle, &QTimer::timeout, [this] {
            WatchFile();
            changed();
        });
        if (fd < 0) return;
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { ReadEvents(); });
    }

    ~Watcher() {
        notifier.reset();
        if (fd >= 0) close(fd);
    }

    void Start(const std::string& path) {
        Stop();
        if (fd < 0 || path.empty()) return;
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        name = slash == std::string::npos ? path : path.substr(slash + 1);
        folderWatch = inotify_add_watch(fd, folder.c_str(), kFolderEvents);
        WatchFile();
    }

    void Stop() {
        settle.stop();
        for (int* watch : {&fileWatch, &folderWatch}) {
            if (*watch >= 0) inotify_rm_watch(fd, *watch);
            *watch = -1;
        }
    }

    // The file under its name now, which a rename may have replaced since the last look.
    void WatchFile() {
        if (fd < 0 || owner.path_.empty()) return;
        const int watch = inotify_add_watch(fd, owner.path_.c_str(), kFileEvents);
        if (fileWatch >= 0 && watch != fileWatch) inotify_rm_watch(fd, fileWatch);
        fileWatch = watch;
    }

    void ReadEvents() {
        alignas(inotify_event) std::array<char, 16384> buffer;
        bool relevant = false;
        for (;;) {
            const ssize_t length = read(fd, buffer.data(), buffer.size());
            if (length <= 0) break;
            for (ssize_t at = 0; at < length;) {
                inotify_event event;
                std::memcpy(&event, buffer.data() + at, sizeof event);
                const char* eventName = buffer.data() + at + sizeof event;
                at += static_cast<ssize_t>(sizeof event + event.len);
                if (event.wd == fileWatch) {
                    if (event.mask & IN_IGNORED) fileWatch = -1;
                    relevant = true;
                } else if (event.wd == folderWatch && event.len > 0 && name == eventName) {
                    relevant = true;
                }
            }
        }
        // Told at most a moment after the first change, even while changes go on.
        if (relevant && !settle.isActive()) settle.start();
    }

    TFileWatch& owner;
    std::function<void()> changed;
    int fd = -1;
    int fileWatch = -1;
    int folderWatch = -1;
    std::string name;
    QTimer settle;
    std::unique_ptr<QSocketNotifier> notifier;
};

TFileWatch::TFileWatch(std::function<void()> changed) : watcher_(std::make_unique<Watcher>(*this, std::move(changed))) {}

TFileWatch::~TFileWatch() = default;

void TFileWatch::Retell() { watcher_->settle.start(); }

void TFileWatch::Watch(const std::string& path) {
    path_ = path;
    watcher_->Start(path);
}
