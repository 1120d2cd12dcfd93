// The model phone (tests/tools/model_phone.cpp) that scripts/test removable
// exports onto: each of its switches does what it says, seen through a mount
// of it over a fresh folder. Skipped where nothing can be mounted through FUSE.

#include "ExportDriver.h"
#include "TempDir.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;

// Runs a program to its end, its output going nowhere; its exit status.
int run(std::vector<std::string> arguments, pid_t* started = nullptr)
{
    const pid_t pid = test::spawnQuietly(std::move(arguments), true);
    if (pid < 0) {
        return -1;
    }
    if (started != nullptr) {
        *started = pid;
        return 0;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

dev_t deviceOf(const fs::path& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_dev : 0;
}

// The model over backing(), mounted at phone() with the switches given, in
// the foreground of a process of its own; unmounted with fusermount3 -u.
class ModelPhone {
public:
    explicit ModelPhone(const std::vector<std::string>& switches)
    {
        fs::create_directory(backing());
        fs::create_directory(phone());
        std::vector<std::string> arguments{TUNECRATE_MODEL_PHONE, backing(), phone(), "-f",
                                           "--stats=" + stats()};
        arguments.insert(arguments.end(), switches.begin(), switches.end());
        if (::access("/dev/fuse", R_OK | W_OK) != 0 || run(arguments, &pid_) != 0) {
            return;
        }
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (deviceOf(phone()) == deviceOf(folder_.path())) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_ ||
                std::chrono::steady_clock::now() > giveUp) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        mounted_ = true;
    }
    ~ModelPhone()
    {
        if (pid_ <= 0) {
            return;
        }
        if (!mounted_ || run({"fusermount3", "-u", phone()}) != 0) {
            ::kill(pid_, SIGTERM);
        }
        ::waitpid(pid_, nullptr, 0);
    }
    ModelPhone(const ModelPhone&) = delete;
    ModelPhone& operator=(const ModelPhone&) = delete;

    [[nodiscard]] bool mounted() const { return mounted_; }
    [[nodiscard]] std::string backing() const { return folder_.file("backing"); }
    [[nodiscard]] std::string phone() const { return folder_.file("phone"); }
    [[nodiscard]] std::string onPhone(const std::string& name) const
    {
        return phone() + "/" + name;
    }
    [[nodiscard]] std::string backed(const std::string& name) const
    {
        return backing() + "/" + name;
    }
    [[nodiscard]] std::string stats() const { return folder_.file("stats"); }

private:
    test::TempDir folder_;
    pid_t pid_ = -1;
    bool mounted_ = false;
};

// An open file on the phone, closed at the end of its scope.
struct Open {
    Open(const std::string& path, int flags) : fd(::open(path.c_str(), flags | O_CLOEXEC, 0644)) {}
    ~Open()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Open(const Open&) = delete;
    Open& operator=(const Open&) = delete;
    int fd;
};

void writeOnPhone(const std::string& path, const std::string& bytes)
{
    const Open file(path, O_WRONLY | O_CREAT | O_TRUNC);
    ASSERT_GE(file.fd, 0) << path;
    ASSERT_EQ(::write(file.fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// Waits for what the model still does for the calls before: it answers one
// request at a time, and the release that close() sends comes before this.
void settle(const ModelPhone& m)
{
    struct stat status {};
    ASSERT_EQ(::stat(m.phone().c_str(), &status), 0);
}

// errno of a call that must fail; 0 where it succeeded.
int errorOf(int result)
{
    return result == 0 ? 0 : errno;
}

int countListed(const std::string& folder, const std::string& name)
{
    int count = 0;
    DIR* listing = ::opendir(folder.c_str());
    while (const dirent* entry = listing == nullptr ? nullptr : ::readdir(listing)) {
        count += entry->d_name == name ? 1 : 0;
    }
    if (listing != nullptr) {
        ::closedir(listing);
    }
    return count;
}

time_t modified(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mtim.tv_sec : -1;
}

constexpr time_t year2001 = 981173106;

int setTimes(const std::string& path)
{
    const std::array<timespec, 2> times{timespec{year2001, 0}, timespec{year2001, 0}};
    return errorOf(::utimensat(AT_FDCWD, path.c_str(), times.data(), 0));
}

struct Case {
    const char* name;
    std::vector<std::string> switches;
    std::function<void(const ModelPhone&)> check;
};

TEST(ModelPhoneTest, EachSwitchDoesWhatItSays)
{
    const std::vector<Case> cases{
        {"passthrough, no O_TMPFILE",
         {},
         [](const ModelPhone& m) {
             writeOnPhone(m.onPhone("a"), "abc");
             settle(m);
             EXPECT_EQ(test::readFile(m.backed("a")), "abc");
             EXPECT_EQ(errorOf(::rename(m.onPhone("a").c_str(), m.onPhone("b").c_str())), 0);
             EXPECT_EQ(errorOf(::link(m.onPhone("b").c_str(), m.onPhone("c").c_str())), 0);
             EXPECT_EQ(errorOf(::chmod(m.onPhone("b").c_str(), 0600)), 0);
             EXPECT_EQ(setTimes(m.onPhone("b")), 0);
             EXPECT_EQ(modified(m.backed("b")), year2001);
             const Open unnamed(m.phone(), O_TMPFILE | O_WRONLY);
             EXPECT_LT(unnamed.fd, 0);
         }},
        {"rename EPERM: also the unlink of an open file",
         {"--rename=EPERM"},
         [](const ModelPhone& m) {
             writeOnPhone(m.onPhone("a"), "abc");
             EXPECT_EQ(errorOf(::rename(m.onPhone("a").c_str(), m.onPhone("b").c_str())), EPERM);
             const Open held(m.onPhone("a"), O_RDONLY);
             EXPECT_EQ(errorOf(::unlink(m.onPhone("a").c_str())), EPERM);
             EXPECT_TRUE(fs::exists(m.backed("a")));
         }},
        {"rename ENOSYS, link, chmod and times EPERM",
         {"--rename=ENOSYS", "--link=EPERM", "--chmod=EPERM", "--times=EPERM"},
         [](const ModelPhone& m) {
             writeOnPhone(m.onPhone("a"), "abc");
             EXPECT_EQ(errorOf(::rename(m.onPhone("a").c_str(), m.onPhone("b").c_str())), ENOSYS);
             EXPECT_EQ(errorOf(::link(m.onPhone("a").c_str(), m.onPhone("c").c_str())), EPERM);
             EXPECT_EQ(errorOf(::chmod(m.onPhone("a").c_str(), 0600)), EPERM);
             EXPECT_EQ(setTimes(m.onPhone("a")), EPERM);
         }},
        {"times ignored",
         {"--times=ignore"},
         [](const ModelPhone& m) {
             writeOnPhone(m.onPhone("a"), "abc");
             EXPECT_EQ(setTimes(m.onPhone("a")), 0);
             EXPECT_GT(modified(m.onPhone("a")), year2001);
         }},
        {"upload at close, a failed one halved, counted",
         {"--upload", "--fail-upload=2"},
         [](const ModelPhone& m) {
             {
                 const Open file(m.onPhone("a"), O_WRONLY | O_CREAT);
                 ASSERT_EQ(::write(file.fd, "0123456789", 10), 10);
                 EXPECT_EQ(::fsync(file.fd), 0);
                 EXPECT_EQ(fs::file_size(m.onPhone("a")), 0U);
                 EXPECT_EQ(fs::file_size(m.backed("a")), 0U);
             }
             EXPECT_EQ(test::readFile(m.onPhone("a")), "0123456789");
             writeOnPhone(m.onPhone("b"), "0123456789");
             writeOnPhone(m.onPhone("c"), "abcd");
             settle(m);
             EXPECT_EQ(test::readFile(m.backed("b")), "01234");
             EXPECT_EQ(test::readFile(m.backed("c")), "abcd");
             EXPECT_EQ(test::readFile(m.stats()), "bytes 24\nfiles 3\n");
         }},
        {"twin", {"--twin=a"}, [](const ModelPhone& m) {
             writeOnPhone(m.onPhone("a"), "abc");
             EXPECT_EQ(countListed(m.phone(), "a"), 2);
             EXPECT_EQ(countListed(m.backing(), "a"), 1);
         }}};

    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const ModelPhone phone(row.switches);
        if (!phone.mounted()) {
            GTEST_SKIP() << "the model phone does not mount here (no /dev/fuse, or no right "
                            "to mount through FUSE)";
        }
        row.check(phone);
    }
}

} // namespace
} // namespace tunecrate
