#include "platform/recent_files.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/state_folder.h"

namespace {

// How the desktop's launchers name and start us: the desktop entry's Exec.
constexpr const char* kApplication = "iniviewer";
constexpr const char* kExec = "iniviewer %f";

struct GFreeDeleter {
    void operator()(void* memory) const { g_free(memory); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

struct BookmarkDeleter {
    void operator()(GBookmarkFile* bookmarks) const { g_bookmark_file_free(bookmarks); }
};
using Bookmarks = std::unique_ptr<GBookmarkFile, BookmarkDeleter>;

// The types the desktop entry declares for the names it opens; any other file is text.
const char* MimeTypeOf(std::string_view path) {
    const auto endsWith = [path](std::string_view suffix) {
        return path.size() >= suffix.size() &&
               g_ascii_strncasecmp(path.data() + path.size() - suffix.size(), suffix.data(), suffix.size()) == 0;
    };
    if (endsWith(".ini")) return "text/x-ini";
    if (endsWith(".inf")) return "text/x-inf";
    return "text/plain";
}

// The list as it is in the file; an empty list when there is no file yet, nothing when the
// file cannot be read (then it must not be written over either).
Bookmarks ReadList(const std::string& xbelFile) {
    Bookmarks bookmarks(g_bookmark_file_new());
    GError* error = nullptr;
    if (g_bookmark_file_load_from_file(bookmarks.get(), xbelFile.c_str(), &error)) return bookmarks;
    const bool missing = g_error_matches(error, G_FILE_ERROR, G_FILE_ERROR_NOENT);
    g_error_free(error);
    return missing ? Bookmarks(g_bookmark_file_new()) : nullptr;
}

gint64 Microseconds(GDateTime* stamp) {
    return stamp ? g_date_time_to_unix(stamp) * G_USEC_PER_SEC + g_date_time_get_microsecond(stamp) : 0;
}

bool Present(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

TRecentFiles::TRecentFiles(std::string xbelFile) : xbelFile_(std::move(xbelFile)) {}

TRecentFiles TRecentFiles::OfUser() {
    const std::string folder = UserDataFolder();
    return TRecentFiles(folder.empty() ? folder : folder + "/recently-used.xbel");
}

bool TRecentFiles::Add(const std::string& path) {
    if (xbelFile_.empty() || path.empty()) return false;
    const Bookmarks bookmarks = ReadList(xbelFile_);
    if (!bookmarks) return false;
    const GText absolute(g_canonicalize_filename(path.c_str(), nullptr));
    // The URI escapes every byte that is not plain ASCII, whatever the name's encoding.
    const GText uri(g_filename_to_uri(absolute.get(), nullptr, nullptr));
    if (!uri) return false;
    GDateTime* now = g_date_time_new_now_utc();
    g_bookmark_file_set_mime_type(bookmarks.get(), uri.get(), MimeTypeOf(absolute.get()));
    g_bookmark_file_add_application(bookmarks.get(), uri.get(), kApplication, kExec);
    g_bookmark_file_set_visited_date_time(bookmarks.get(), uri.get(), now);
    g_date_time_unref(now);
    const GText folder(g_path_get_dirname(xbelFile_.c_str()));
    g_mkdir_with_parents(folder.get(), 0700);
    return g_bookmark_file_to_file(bookmarks.get(), xbelFile_.c_str(), nullptr);
}

std::vector<std::string> TRecentFiles::Files(std::size_t most) const {
    if (xbelFile_.empty()) return {};
    const Bookmarks bookmarks = ReadList(xbelFile_);
    if (!bookmarks) return {};
    // Newest first by when this program last used each one (another program's use does not count).
    std::vector<std::pair<gint64, std::string>> used;
    gsize count = 0;
    char** uris = g_bookmark_file_get_uris(bookmarks.get(), &count);
    for (gsize i = 0; i < count; ++i) {
        GDateTime* stamp = nullptr;
        if (!g_bookmark_file_get_application_info(bookmarks.get(), uris[i], kApplication, nullptr, nullptr, &stamp, nullptr))
            continue;
        const GText path(g_filename_from_uri(uris[i], nullptr, nullptr));
        if (path && Present(path.get())) used.emplace_back(Microseconds(stamp), path.get());
    }
    g_strfreev(uris);
    std::stable_sort(used.begin(), used.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> files;
    for (auto& [stamp, path] : used) {
        if (files.size() == most) break;
        files.push_back(std::move(path));
    }
    return files;
}
