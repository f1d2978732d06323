#include "app/HtmlExport.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <utility>
#include <vector>

#include "flow/Transcript.h"
#include "text/PathText.h"
#include "text/TextCodec.h"
#include "window/Dialog.h"

namespace kinpath {

namespace {

// The page's fixed head: text and number of leading tabs.
struct FixedLine {
    const char* text;
    int tabs;
};

constexpr std::array<FixedLine, 11> PageHead = {{
    {"<html>", 0},
    {"<head>", 0},
    {"<title>Kinpath Results</title>", 0},
    {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">", 0},
    {"</head>", 0},
    {"<body bgcolor=\"#ffffff\" link=\"#800000\" vlink=\"#000080\" topmargin=\"0\" "
     "leftmargin=\"0\">",
     0},
    {"<font size=\"4\" face = \"Arial\">", 0},
    {"<b>", 1},
    {"Kinpath summary results<BR>", 2},
    {"</b>", 1},
    {"</font>", 0},
}};

// The pane's UTF-8 text as page text: markup characters escaped so the browser
// shows exactly what the pane shows, hidden controls as U+FFFD, Windows-1252
// bytes where they exist and numeric references for everything else. Browsers
// read the page's "iso-8859-1" label as Windows-1252, so a C1 control written
// as a reference would show as the code page's letter.
std::string PageText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 16);
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = NextCodePoint(utf8, i);
        switch (cp) {
            case '&':
                out += "&amp;";
                continue;
            case '<':
                out += "&lt;";
                continue;
            case '>':
                out += "&gt;";
                continue;
            case '"':
                out += "&quot;";
                continue;
            default:
                break;
        }
        if (IsHiddenControl(cp)) cp = ReplacementCharacter;
        int byte = Cp1252Byte(cp);
        if (byte >= 0) {
            out += static_cast<char>(byte);
        } else {
            out += "&#";
            out += std::to_string(static_cast<std::uint32_t>(cp));
            out += ';';
        }
    }
    return out;
}

}  // namespace

void WriteHtmlLine(std::string& out, const char* text, int tabCount) {
    for (int i = 0; i < tabCount; ++i) out += '\t';
    if (text != nullptr) out += text;
    out += "\r\n";
}

std::string BuildHtmlPage(Dialog& dialog) {
    std::string page;
    int lineCount = TranscriptLineCount(dialog);
    page.reserve(1024 + static_cast<std::size_t>(lineCount > 0 ? lineCount : 0) * 40);
    for (const FixedLine& line : PageHead) WriteHtmlLine(page, line.text, line.tabs);
    for (int i = 0; i < lineCount; ++i) {
        TranscriptLine line = ReadTranscriptLine(dialog, i);
        WriteHtmlLine(page, line.empty ? " " : PageText(line.text).c_str(), 2);
        WriteHtmlLine(page, "<br>", 0);
    }
    WriteHtmlLine(page, "</body>", 0);
    WriteHtmlLine(page, "</html>", 0);
    return page;
}

#if defined(_WIN32)

namespace {

namespace fs = std::filesystem;

// The hidden file a page is written to before it replaces Kinpath.html; it is
// removed again unless it became the page.
class TemporaryFile {
public:
    explicit TemporaryFile(const fs::path& target) {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && !stream_.is_open(); ++attempt) {
            std::error_code ec;
            fs::path hidden(".");
            hidden += target.filename();
            hidden += ".";
            hidden += std::to_string(random());
            path_ = target.parent_path() / hidden;
            if (!fs::exists(path_, ec) && !ec) {
                stream_.open(path_, std::ios::binary | std::ios::trunc);
            }
        }
    }
    ~TemporaryFile() {
        if (stream_.is_open()) stream_.close();
        std::error_code ec;
        if (!renamed_ && !path_.empty()) fs::remove(path_, ec);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    bool Write(std::string_view bytes) {
        if (!stream_.is_open()) return false;
        stream_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        stream_.close();
        return !stream_.fail();
    }
    // Replaces the target in one step, so a reader sees the old page or the new one.
    bool RenameTo(const fs::path& target) {
        std::error_code ec;
        fs::rename(path_, target, ec);
        renamed_ = !ec;
        return renamed_;
    }

private:
    fs::path path_;
    std::ofstream stream_;
    bool renamed_ = false;
};

}  // namespace

bool WriteHtmlFile(const std::string& path, const std::string& page) {
    std::error_code ec;
    fs::path target = fs::absolute(PathFromUtf8(path), ec);
    if (ec) return false;
    fs::file_status existing = fs::symlink_status(target, ec);
    if (ec && existing.type() != fs::file_type::not_found) return false;
    const bool exists = fs::exists(existing);
    // A link to the page is kept: the page it points at is replaced instead.
    if (exists && fs::is_symlink(existing)) {
        const fs::path linked = fs::canonical(target, ec);
        if (ec) return false;
        target = linked;
        existing = fs::status(target, ec);
        if (ec) return false;
    }
    // Only a regular file the user may write is ever replaced: never a folder
    // or device, nor a page made read-only.
    if (exists && (!fs::is_regular_file(existing) ||
                   (existing.permissions() & fs::perms::owner_write) == fs::perms::none)) {
        return false;
    }
    TemporaryFile temp(target);
    return temp.Write(page) && temp.RenameTo(target);
}

#else

namespace {

// Permission bits a newly created file gets from this process's umask.
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        unsigned mask = 0;
        if (std::sscanf(line.c_str(), "Umask: %o", &mask) == 1) return 0666 & ~mask;
    }
    // No procfs: umask can only be read by setting it.
    mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

// Whether this user may write over the file. Root passes access() for every
// file, yet a page its owner made read-only should stay so for root too: root
// is held to the permission bits of its class.
bool MayWrite(const char* path, const struct stat& file) {
    if (::access(path, W_OK) != 0) return false;
    if (::geteuid() != 0) return true;
    if (file.st_uid == 0) return (file.st_mode & S_IWUSR) != 0;
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(static_cast<std::size_t>(
        std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    groups.push_back(::getegid());
    bool member = std::find(groups.begin(), groups.end(), file.st_gid) != groups.end();
    return (file.st_mode & (member ? S_IWGRP : S_IWOTH)) != 0;
}

// A file descriptor, closed when its owner goes unless Close() took it.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // The close's own result: a write the system deferred can fail only here.
    bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

// The hidden file a page is written to before it replaces Kinpath.html; it is
// removed again unless it became the page.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string pattern)
        : name_(std::move(pattern)), file_(::mkostemp(name_.data(), O_CLOEXEC)) {}
    ~TemporaryFile() {
        if (!renamed_ && file_.get() >= 0) {
            file_.Close();
            ::unlink(name_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    FileDescriptor& File() { return file_; }
    bool RenameTo(const std::string& target) {
        renamed_ = ::rename(name_.c_str(), target.c_str()) == 0;
        return renamed_;
    }

private:
    std::string name_;
    FileDescriptor file_;
    bool renamed_ = false;
};

// A file size limit must fail the write, as a full disk would, instead of
// ending the program with SIGXFSZ and the results with it.
class FileSizeSignalIgnored {
public:
    FileSizeSignalIgnored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &previous_);
    }
    ~FileSizeSignalIgnored() { ::sigaction(SIGXFSZ, &previous_, nullptr); }
    FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
    FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

private:
    struct sigaction previous_ {};
};

bool WriteHtmlBytes(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool WriteHtmlFile(const std::string& path, const std::string& page) {
    namespace fs = std::filesystem;
    fs::path target(path);
    struct stat existing {};
    const bool exists = ::lstat(target.c_str(), &existing) == 0;
    // A link to the page is kept: the page it points at is replaced instead. A
    // link to nothing is refused rather than followed to wherever it leads.
    if (exists && S_ISLNK(existing.st_mode)) {
        std::error_code ec;
        target = fs::canonical(target, ec);
        if (ec || ::lstat(target.c_str(), &existing) != 0) return false;
    }
    // Only a regular file the user may write is ever replaced: never a device,
    // FIFO, socket or folder, nor a page made read-only.
    if (exists && (!S_ISREG(existing.st_mode) || !MayWrite(target.c_str(), existing))) {
        return false;
    }
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";

    // A hidden temporary beside the target: the rename below is then atomic and
    // the old page survives every failure before it.
    TemporaryFile temp((folder / ("." + target.filename().string() + ".XXXXXX")).string());
    FileDescriptor& file = temp.File();
    if (file.get() < 0) return false;

    const mode_t mode = exists ? (existing.st_mode & 07777) : NewFileMode();
    {
        FileSizeSignalIgnored sizeLimitFailsTheWrite;
        if (!WriteHtmlBytes(file.get(), page) || ::fchmod(file.get(), mode) != 0 ||
            ::fsync(file.get()) != 0) {
            return false;
        }
    }
    if (!file.Close() || !temp.RenameTo(target.string())) return false;
    // Make the rename itself durable; the page is written either way.
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return true;
}

#endif

bool ExportHtml(Dialog& dialog) {
    std::string page = BuildHtmlPage(dialog);
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::current_path(ec);
    // The page's path as UTF-8, whatever the system's own path encoding.
    const std::string path =
        Utf8FromPath(ec ? std::filesystem::path(HtmlFileName) : folder / HtmlFileName);
    if (!WriteHtmlFile(path, page)) {
        dialog.MessageBox(BoxOwner::Dialog, "Could not write Kinpath.html", "Error",
                          BoxButtons::Ok);
        return false;
    }
    dialog.OpenFile(path);
    return true;
}

}  // namespace kinpath
