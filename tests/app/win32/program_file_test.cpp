// What the built Windows programs are as files: Windows programs without a
// console, with the icon, the manifest (DPI awareness, no elevation) and a
// version resource that names the product and the project's version; the
// command-line programs carry the same version resource.

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/utf16.h"
#include "support/native_path.h"

namespace vantor {
namespace {

struct program_row {
  const char* name;
  const char* path;
  const char* description;
  const char* file_name;
};

void PrintTo(const program_row& row, std::ostream* out) { *out << row.name; }

std::string version_string(const std::vector<BYTE>& block, const wchar_t* field) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + field;
  if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return {};
  return platform::from_utf16(static_cast<const wchar_t*>(value));
}

void expect_version_resource(const program_row& row) {
  const std::wstring path = testing::native_path(row.path).wstring();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  EXPECT_EQ(version_string(block, L"ProductName"), "Vantor patcher");
  EXPECT_EQ(version_string(block, L"FileDescription"), row.description);
  EXPECT_EQ(version_string(block, L"FileVersion"), VANTOR_VERSION);
  EXPECT_EQ(version_string(block, L"ProductVersion"), VANTOR_VERSION);
  EXPECT_EQ(version_string(block, L"OriginalFilename"), row.file_name);
  void* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", &fixed, &length));
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
  EXPECT_EQ(info->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(info->dwFileVersionMS, (DWORD{VANTOR_VERSION_MAJOR} << 16) | VANTOR_VERSION_MINOR);
  EXPECT_EQ(info->dwFileVersionLS, DWORD{VANTOR_VERSION_PATCH} << 16);
}

class WindowsProgram : public ::testing::TestWithParam<program_row> {};

TEST_P(WindowsProgram, CarriesItsVersionAndProductNames) { expect_version_resource(GetParam()); }

TEST_P(WindowsProgram, HasItsIconAndAManifestForDpiAwarenessWithoutElevation) {
  const std::wstring path = testing::native_path(GetParam().path).wstring();
  HMODULE image = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);
  EXPECT_NE(::FindResourceW(image, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
  HRSRC found = ::FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(image, found)));
  const std::string manifest(bytes, ::SizeofResource(image, found));
  ::FreeLibrary(image);
  EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>"),
            std::string::npos);
  EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">system"),
            std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

TEST_P(WindowsProgram, IsAWindowsProgramWithoutAConsole) {
  std::ifstream file(testing::native_path(GetParam().path), std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), sizeof(IMAGE_DOS_HEADER));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
  ASSERT_LT(static_cast<std::size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64), bytes.size());
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS64*>(bytes.data() + dos->e_lfanew);
  ASSERT_EQ(headers->Signature, IMAGE_NT_SIGNATURE);
  EXPECT_EQ(headers->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(headers->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

INSTANTIATE_TEST_SUITE_P(programs, WindowsProgram,
                         ::testing::Values(program_row{"game", VANTOR_PATCHER_PROGRAM,
                                                       "Vantor animation patch installer", "vantor-patcher.exe"},
                                           program_row{"demo", VANTOR_PATCHER_DEMO_PROGRAM,
                                                       "Vantor animation patch installer (demo game)",
                                                       "vantor-patcher-demo.exe"}),
                         [](const ::testing::TestParamInfo<program_row>& row) { return row.param.name; });

class CommandLineProgram : public ::testing::TestWithParam<program_row> {};

TEST_P(CommandLineProgram, CarriesItsVersionAndProductNames) { expect_version_resource(GetParam()); }

INSTANTIATE_TEST_SUITE_P(programs, CommandLineProgram,
                         ::testing::Values(program_row{"game", VANTOR_PATCH_PROGRAM,
                                                       "Vantor animation patch installer (command line)",
                                                       "vantor-patch.exe"},
                                           program_row{"demo", VANTOR_PATCH_DEMO_PROGRAM,
                                                       "Vantor animation patch installer (command line, demo game)",
                                                       "vantor-patch-demo.exe"}),
                         [](const ::testing::TestParamInfo<program_row>& row) { return row.param.name; });

}  // namespace
}  // namespace vantor
