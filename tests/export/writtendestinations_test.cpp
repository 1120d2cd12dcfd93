#include "WrittenDestinations.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tunecrate {
namespace {

const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));

// Resolves and remembers each (source, bare name) in turn, as a run that copies
// every entry successfully would, and gives the paths handed out.
std::vector<std::string> place(const std::vector<std::pair<std::string, std::string>>& entries)
{
    WrittenDestinations written;
    std::vector<std::string> paths;
    for (const auto& [source, bareName] : entries) {
        const auto destination = written.resolve("out", bareName, source);
        written.remember("out", bareName, source, destination);
        paths.push_back(destination.path);
    }
    return paths;
}

std::string out(const std::string& name)
{
    return "out" + sep + name;
}

TEST(WrittenDestinations, NumbersOnlyADifferentSourceOfTheSameName)
{
    EXPECT_EQ(place({{"/a/x.mp3", "x.mp3"},
                     {"/b/x.mp3", "x.mp3"},
                     {"/a/x.mp3", "x.mp3"},
                     {"/c/x.mp3", "x.mp3"},
                     {"/b/x.mp3", "x.mp3"},
                     {"/a/y", "y"},
                     {"/b/y", "y"},
                     {"/a/.hidden", ".hidden"},
                     {"/b/.hidden", ".hidden"}}),
              (std::vector<std::string>{out("x.mp3"), out("x (2).mp3"), out("x.mp3"),
                                        out("x (3).mp3"), out("x (2).mp3"), out("y"), out("y (2)"),
                                        out(".hidden"), out(".hidden (2)")}));
}

TEST(WrittenDestinations, SkipsANumberedNameThePlaylistItselfUsed)
{
    EXPECT_EQ(place({{"/a/x (2).mp3", "x (2).mp3"}, {"/a/x.mp3", "x.mp3"}, {"/b/x.mp3", "x.mp3"}}),
              (std::vector<std::string>{out("x (2).mp3"), out("x.mp3"), out("x (3).mp3")}));
}

TEST(WrittenDestinations, ACopyThatFailedClaimsNothing)
{
    WrittenDestinations written;
    (void)written.resolve("out", "x.mp3", "/a/x.mp3"); // not remembered: the copy failed
    EXPECT_EQ(written.resolve("out", "x.mp3", "/b/x.mp3").path, out("x.mp3"));
}

} // namespace
} // namespace tunecrate
