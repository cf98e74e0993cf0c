// Firmware files on Windows: UTF-8 paths in any script, the exclusive open, a file too long for
// the 32-bit length field.

#include <windows.h>
// After windows.h, which declares what it uses.

#include <gtest/gtest.h>
#include <winioctl.h>

#include "../support/fakes.h"
#include "../support/temp_dir.h"
#include "engine/firmware_image.h"
#include "engine/messages.h"
#include "platform/utf16.h"

namespace tessaro::engine {
namespace {

using platform::MessageKind;
using testing::Message;

class Win32File : public ::testing::Test {
 protected:
  testing::TempDir dir;
  testing::RecordingMessages messages;
  FirmwareImage image;
};

TEST_F(Win32File, PathWithKoreanAndGreekFoldersOpens) {
  auto file = testing::PatternBytes(1000);
  std::string path = dir.Write("펌웨어/Λ_R7Z42P_x/fw.bin", file);
  ASSERT_EQ(BuildFirmwareImage(0x10, path, messages, image), BuildResult::Built);
  EXPECT_TRUE(messages.messages.empty());
  ASSERT_EQ(image.length, file.size() + 2);
  EXPECT_TRUE(std::equal(file.begin(), file.end(), image.buffer.get() + 2));
}

TEST_F(Win32File, FileHeldOpenByAnotherProgramCannotBeOpened) {
  std::string path = dir.Write("R7Z42P_held.bin", testing::PatternBytes(10));
  HANDLE held = ::CreateFileW(platform::WidenUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(BuildFirmwareImage(1, path, messages, image), BuildResult::Refused);
  ::CloseHandle(held);
  EXPECT_EQ(messages.messages, (std::vector<Message>{{MessageKind::Error, "Can't Open  " + path}}));
}

#ifndef _WIN64
// 3 GiB, sparse where the file system allows: a 32-bit process cannot hold such an image, and
// must say so rather than crash or send half of it.
TEST_F(Win32File, ThreeGibibyteFileIsRefusedWithoutAPartialImage) {
  std::string path = dir.Write("R7Z42P_huge.bin", {});
  HANDLE file = ::CreateFileW(platform::WidenUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD ignored = 0;
  ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
  LARGE_INTEGER size{};
  size.QuadPart = 3LL << 30;
  ASSERT_TRUE(::SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(::SetEndOfFile(file));
  ::CloseHandle(file);

  const BuildResult result = BuildFirmwareImage(1, path, messages, image);

  EXPECT_EQ(result, BuildResult::Refused);
  ASSERT_EQ(messages.messages.size(), 1u);
  const std::string& text = messages.messages[0].text;
  EXPECT_TRUE(text == MESSAGE_CANNOT_READ + path || text == MESSAGE_TOO_LARGE + path) << text;
  EXPECT_EQ(image.buffer, nullptr);
}
#endif

}  // namespace
}  // namespace tessaro::engine
