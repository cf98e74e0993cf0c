#include "engine/firmware_image.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/messages.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace tessaro::engine {
namespace {

using platform::MessageKind;
using testing::Message;

struct MarkerCase {
  const char* name;
  const char* path;
  std::optional<ModelCode> code;
};

void PrintTo(const MarkerCase& c, std::ostream* out) { *out << c.name; }

class MarkerTable : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(MarkerTable, PicksTheFirstMarkerInTableOrder) {
  EXPECT_EQ(FindModelCode(GetParam().path), GetParam().code) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MarkerTable,
    ::testing::Values(MarkerCase{"P", "D:\\fw\\R7Z42P_1.bin", 1},
                      MarkerCase{"WR", "D:\\fw\\R7Z42WR_1.bin", 2},
                      MarkerCase{"WrsIsThreeNotTwo", "D:\\fw\\R7Z42WRS_1.4.bin", 3},
                      MarkerCase{"LkSharesThree", "/fw/R7Z42LK_2.bin", 3},
                      MarkerCase{"PsIsFourNotOne", "/fw/R7Z42PS_2.bin", 4},
                      MarkerCase{"TableOrderBeatsPathOrder", "/R7Z42WR_/R7Z42P_x.bin", 1},
                      MarkerCase{"DirectoryMarker", "D:\\R7Z42PS_\\image.bin", 4},
                      MarkerCase{"LowerCaseRefused", "/fw/r7z42p_1.bin", std::nullopt},
                      MarkerCase{"NeedsTheUnderscore", "/fw/R7Z42P1.bin", std::nullopt},
                      MarkerCase{"Empty", "", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(MarkerSearch, CoversPathsOfAnyLength) {
  std::string path = "/" + std::string(5000, 'd') + "/R7Z42LK_.bin";
  EXPECT_EQ(FindModelCode(path), 3);
}

class BuildImage : public ::testing::Test {
 protected:
  BuildResult Build(std::int32_t channel, const std::string& path) {
    return BuildFirmwareImage(channel, path, messages, image);
  }
  std::vector<std::uint8_t> ImageBytes() const {
    return {image.buffer.get(), image.buffer.get() + image.length};
  }
  testing::TempDir dir;
  testing::RecordingMessages messages;
  FirmwareImage image;
};

TEST_F(BuildImage, PacksChannelLowByteModelCodeAndTheWholeFile) {
  auto file = testing::PatternBytes(100);
  std::string path = dir.Write("R7Z42WRS_fw.bin", file);

  ASSERT_EQ(Build(0x110, path), BuildResult::Built);

  std::vector<std::uint8_t> expected{0x10, 3};
  expected.insert(expected.end(), file.begin(), file.end());
  EXPECT_EQ(ImageBytes(), expected);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(BuildImage, EmptyFileGivesTwoByteImage) {
  ASSERT_EQ(Build(-1, dir.Write("R7Z42P_empty.bin", {})), BuildResult::Built);
  EXPECT_EQ(ImageBytes(), (std::vector<std::uint8_t>{0xFF, 1}));
}

TEST_F(BuildImage, PathWithoutMarkerIsAWarningAndTheFileIsNotOpened) {
  std::string path = dir.Write("firmware.bin", testing::PatternBytes(10));
  ::chmod(path.c_str(), 0);  // would be an open error if the file were opened

  EXPECT_EQ(Build(1, path), BuildResult::Refused);
  EXPECT_EQ(messages.messages,
            (std::vector<Message>{{MessageKind::Warning, "Please select Camera Firmware!!"}}));
  EXPECT_EQ(image.buffer, nullptr);
  EXPECT_EQ(image.length, 0u);
}

TEST_F(BuildImage, UnopenablePathsAreAnErrorNamingThePath) {
  std::string folder = (dir.Path() / "R7Z42PS_").string();
  std::filesystem::create_directories(folder);
  const std::vector<std::string> paths = {
      (dir.Path() / "R7Z42P_missing.bin").string(),
      folder,  // opens on POSIX but is no file
  };
  for (const std::string& path : paths) {
    messages.messages.clear();
    SCOPED_TRACE(path);
    EXPECT_EQ(Build(1, path), BuildResult::Refused);
    EXPECT_EQ(messages.messages,
              (std::vector<Message>{{MessageKind::Error, "Can't Open  " + path}}));
    EXPECT_EQ(image.buffer, nullptr);
  }
}

// Root reads any file, so the build runs in a child that has given up root for nobody.
TEST_F(BuildImage, UnreadableFileIsAnOpenError) {
  std::string path = dir.Write("R7Z42P_locked.bin", testing::PatternBytes(10));
  ::chmod(path.c_str(), 0);
  ::chmod(dir.Path().c_str(), 0755);
  const std::vector<Message> expected{{MessageKind::Error, "Can't Open  " + path}};
  auto buildAsNobody = [&] {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
      std::_Exit(3);
    const bool refused = Build(1, path) == BuildResult::Refused;
    std::_Exit(refused && messages.messages == expected ? 0 : 1);
  };
  EXPECT_EXIT(buildAsNobody(), ::testing::ExitedWithCode(0), "");
}

TEST_F(BuildImage, FileTooLongForTheLengthFieldIsRefusedBeforeReading) {
  // Sparse: no disk is used. One byte over what a 32-bit length can carry with the 2-byte prefix.
  std::string path = dir.Write("R7Z42WR_huge.bin", {});
  ASSERT_EQ(::truncate(path.c_str(), 0xFFFFFFFEll), 0);

  EXPECT_EQ(Build(1, path), BuildResult::Refused);
  EXPECT_EQ(messages.messages,
            (std::vector<Message>{{MessageKind::Error, std::string(MESSAGE_TOO_LARGE) + path}}));
  EXPECT_EQ(image.buffer, nullptr);
}

TEST_F(BuildImage, FileThatCannotBeReadWholeIsAReadError) {
  // /proc files report length 0 but have content: the length measured is not what is read.
  const std::string procPath = "/proc/self/status";
  std::string path = (dir.Path() / "R7Z42P_link").string();
  std::filesystem::create_symlink(procPath, path);

  EXPECT_EQ(Build(1, path), BuildResult::Refused);
  EXPECT_EQ(messages.messages, (std::vector<Message>{{MessageKind::Error, "Can't Read  " + path}}));
  EXPECT_EQ(image.buffer, nullptr);
}

}  // namespace
}  // namespace tessaro::engine
