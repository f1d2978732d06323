// The safe save: only a regular file the user may write is ever replaced, the
// old file survives every failure, its owner and every signal; and files are
// read to their end.
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <set>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "FailingFiles.h"
#include "TestSupport.h"
#include "platform/SafeSave.h"

namespace kinpath::testing {
namespace {

namespace fs = std::filesystem;

const std::string Name = "Kinpath.html";
const std::string NewPage = "<html>new</html>\r\n";

bool Save(FileSystem& files) { return SaveFile(files, Name, NewPage); }
bool Save() {
    SystemFiles files;
    return Save(files);
}

auto Entries(const fs::path& dir) { return std::distance(fs::directory_iterator(dir), {}); }

// Every entry of the folder with its type, permissions and a regular file's bytes.
std::set<std::string> State(const fs::path& dir) {
    std::set<std::string> state;
    for (const fs::path& path : fs::directory_iterator(dir)) {
        const fs::file_status s = fs::symlink_status(path);
        std::ifstream in(s.type() == fs::file_type::regular ? path : fs::path());
        state.insert(path.filename().string() + std::to_string(int(s.type())) + " " +
                     std::to_string(int(s.permissions())) +
                     std::string(std::istreambuf_iterator(in), {}));
    }
    return state;
}

using SafeSaveTest = ProgramTest;

TEST_F(SafeSaveTest, OnlyARegularFileTheUserMayWriteIsWrittenOver) {
    // The file as each of these, and as a link to it, is refused and left as
    // it is: a device (where mknod is allowed), a FIFO, a folder, a read-only
    // page, another user's private file (where chown is allowed) and nothing.
    // Windows has the folder and the read-only page (links need rights there).
    fs::create_directory("folder");
    for (const char* name : {"read-only", "private"}) std::ofstream(name) << "keep";
    fs::permissions("read-only", static_cast<fs::perms>(0444));
#ifdef _WIN32
    fs::remove("private");
    const bool links = false;
#else
    ::mknod("device", S_IFCHR | 0666, ::makedev(1, 3));
    ::mkfifo("fifo", 0666);
    fs::permissions("private", static_cast<fs::perms>(0600));
    if (::chown("private", ::geteuid() + 1, 65534) != 0) fs::remove("private");
    const bool links = true;
#endif
    const std::set<std::string> before = State(Dir());
    for (const char* name : {"device", "fifo", "folder", "read-only", "private", "missing"}) {
        if (links) {
            fs::create_symlink(name, Name);
            EXPECT_FALSE(Save()) << "link to " << name;
            fs::remove(Name);
        }
        if (std::rename(name, Name.c_str()) != 0) continue;  // none made here
        EXPECT_FALSE(Save()) << name;
        fs::rename(Name, name);
    }
    EXPECT_EQ(State(Dir()), before);  // no temporary left either
#ifdef __linux__
    // Nor a setting of the kernel's, which says it is a regular file (here one
    // any user may raise: how soon this process goes when memory runs out),
    // not even for a moment.
    const std::string kernel = "/proc/self/oom_score_adj", setting = ReadFile(kernel);
    FailingFiles files;
    EXPECT_FALSE(SaveFile(files, kernel, std::to_string(std::stoi(setting) + 1)));
    EXPECT_EQ(std::tuple(ReadFile(kernel), files.writes), std::tuple(setting, 0));
#endif
    fs::permissions("read-only", fs::perms::owner_write, fs::perm_options::add);  // removable
}

TEST_F(SafeSaveTest, AFileKeepsItsOwnerOrElseIsWrittenInPlace) {
#ifndef _WIN32
    // A new page gets the mode any new file would, under the umask in force.
    const mode_t mask = ::umask(027);
    ASSERT_TRUE(Save());
    ::umask(mask);
    EXPECT_EQ(static_cast<int>(fs::status(Name).permissions()), 0640);
    // Root can give the new file away: another user's page that all may write
    // is replaced and stays theirs, group and mode included. A page of the
    // user's own keeps its group too, where the user has a second group.
    std::vector<gid_t> groups(64);
    groups.resize(std::max(::getgroups(64, groups.data()), 0));
    const gid_t otherGroup = ::geteuid() == 0 ? 4322 : groups.empty() ? ::getegid() : groups[0];
    for (const uid_t owner : {::geteuid() == 0 ? 4321u : ::geteuid(), ::geteuid()}) {
        std::ofstream(Name) << "old";
        fs::permissions(Name, static_cast<fs::perms>(0646));
        if (::chown(Name.c_str(), owner, otherGroup) != 0) continue;
        ASSERT_TRUE(Save());
        struct stat saved {};
        ASSERT_EQ(::stat(Name.c_str(), &saved), 0);
        EXPECT_EQ(std::tuple(saved.st_uid, saved.st_gid, saved.st_mode & 07777),
                  std::tuple(owner, otherGroup, 0646u));
        EXPECT_EQ(ReadFile(Name), NewPage);
    }
#endif
    // Where a new file could not keep the owner, or the folder takes no new
    // file, the page itself is written over; when that fails, its old bytes
    // are put back.
    for (const bool readOnlyFolder : {false, true}) {
        SCOPED_TRACE(readOnlyFolder);
        std::ofstream(Name, std::ios::binary) << std::string(9000, 'o');
        FailingFiles files;
        files.foreignOwner = !readOnlyFolder;
        files.noNewFiles = readOnlyFolder;
        files.room = 10;
        EXPECT_FALSE(Save(files));
        EXPECT_EQ(ReadFile(Name), std::string(9000, 'o'));
        files.room = UINT64_MAX;
        files.garble = true;  // a write that lands changed is found out
        EXPECT_FALSE(Save(files));
        EXPECT_EQ(ReadFile(Name), std::string(9000, 'o'));
#ifndef _WIN32
        struct stat before {
        }, after{};
        ::stat(Name.c_str(), &before);
        ASSERT_TRUE(Save(files));
        ::stat(Name.c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino);  // the same file, not a new one
#else
        ASSERT_TRUE(Save(files));
#endif
        EXPECT_EQ(ReadFile(Name), NewPage);
        EXPECT_EQ(Entries(Dir()), 1);
        // An old file far larger than the page is refused, never read whole:
        // a sparse one of 64 GiB too.
        for (const std::uintmax_t size : {std::uintmax_t{4} << 20, std::uintmax_t{1} << 36}) {
            fs::resize_file(Name, size);
            EXPECT_FALSE(Save(files));
            EXPECT_EQ(fs::file_size(Name), size);
        }
        fs::remove(Name);
    }
#ifndef _WIN32
    // A real read-only folder, where the system holds this user to it.
    std::ofstream(Name) << "old";
    fs::permissions(Dir(), static_cast<fs::perms>(0555));
    if (::access(Dir().c_str(), W_OK) != 0) {
        EXPECT_TRUE(Save());
        EXPECT_EQ(ReadFile(Name), NewPage);
    }
    fs::permissions(Dir(), static_cast<fs::perms>(0755));
#endif
}

TEST_F(SafeSaveTest, SavesInPlaceTakeTurns) {
    // A save in place waits while another holds the page, then writes it.
    std::ofstream(Name) << "old";
    SystemFiles system;
    File held = system.OpenInPlace(system.FindTarget(Name));
    ASSERT_TRUE(held.IsOpen());
    FailingFiles files;
    files.noNewFiles = true;
    auto saved = std::async(std::launch::async, [&files] { return Save(files); });
    EXPECT_EQ(saved.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    held.Close();
    EXPECT_TRUE(saved.get());
    EXPECT_EQ(ReadFile(Name), NewPage);
}

TEST_F(SafeSaveTest, AFileIsReadToItsEndUpToTheLimit) {
    // Whatever size the system says it has: a file of procfs says 0.
    std::ofstream("big", std::ios::binary) << std::string(100000, 'b');
    std::vector<std::string> names = {"big"};
#ifdef __linux__
    names.push_back("/proc/self/mounts");
#endif
    for (const std::string& name : names) {
        const std::string expected = ReadFile(name);
        int error = 0;
        LargeBytes bytes;
        EXPECT_EQ(File::OpenToRead(name, error).ReadAll(bytes, expected.size()), 0);
        EXPECT_EQ(std::string_view(bytes), expected) << name;
        EXPECT_THROW(File::OpenToRead(name, error).ReadAll(bytes, expected.size() - 1),
                     std::length_error);
    }
}

#ifndef _WIN32
TEST_F(SafeSaveTest, ALinkInASharedFolderIsFollowedOnlyWhereTheSystemWould) {
    // In a sticky folder all may write (as /tmp), a link another user planted
    // is never followed; one of the user's own or the folder owner's is, and
    // any link elsewhere.
    if (::geteuid() != 0) GTEST_SKIP() << "giving a link away needs root";
    fs::create_directory("shared");
    const std::string link = "shared/" + Name;
    const uid_t other = 4321;
    for (const auto& [folderOwner, linkOwner, mode, followed] :
         {std::tuple(0u, other, 01777, false), std::tuple(other, other, 01777, true),
          std::tuple(0u, 0u, 01777, true), std::tuple(0u, other, 0777, true)}) {
        std::ofstream("notes.txt") << "notes";
        fs::create_symlink("../notes.txt", link);
        ASSERT_EQ(::lchown(link.c_str(), linkOwner, 0), 0);
        ASSERT_EQ(::chown("shared", folderOwner, 0) | ::chmod("shared", mode), 0);
        SystemFiles files;
        EXPECT_EQ(SaveFile(files, link, NewPage), followed) << linkOwner << " " << mode;
        EXPECT_EQ(ReadFile("notes.txt"), followed ? NewPage : "notes");
        fs::remove(link);
    }
}

TEST_F(SafeSaveTest, AnEndingSignalWaitsUntilTheSaveIsOver) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        FailingFiles files;
        files.signal = signal;
        EXPECT_EXIT(Save(files), ::testing::KilledBySignal(signal), "");
        EXPECT_EQ(ReadFile(Name), NewPage);
        EXPECT_EQ(Entries(Dir()), 1);  // no temporary file survives
        fs::remove(Name);
    }
}
#endif

}  // namespace
}  // namespace kinpath::testing
