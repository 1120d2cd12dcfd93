#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

// The version block as Explorer reads it from this very .exe, which links the
// program's resource script.
class VersionResourceTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::wstring path(MAX_PATH, L'\0');
        path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
        ASSERT_FALSE(path.empty());
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
        ASSERT_GT(size, 0u);
        block_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block_.data()));
    }

    // The value at subBlock, or nothing when the block lacks it.
    template <class T> const T* query(const std::wstring& subBlock, UINT& length)
    {
        void* value = nullptr;
        length = 0;
        if (!VerQueryValueW(block_.data(), subBlock.c_str(), &value, &length)) {
            return nullptr;
        }
        return static_cast<const T*>(value);
    }

    std::wstring text(const std::wstring& key)
    {
        UINT length = 0;
        const auto* value = query<wchar_t>(L"\\StringFileInfo\\040904B0\\" + key, length);
        return value == nullptr ? L"(missing)" : std::wstring(value, wcsnlen(value, length));
    }

private:
    std::vector<unsigned char> block_;
};

TEST_F(VersionResourceTest, FixedPartNamesVersion0900OfAWindowsApplication)
{
    UINT length = 0;
    const auto* fixed = query<VS_FIXEDFILEINFO>(L"\\", length);
    ASSERT_NE(fixed, nullptr);
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00000009u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00000009u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
}

TEST_F(VersionResourceTest, StringTableIsUsEnglishUnicodeWithTheProductNames)
{
    UINT length = 0;
    const auto* translation = query<WORD>(L"\\VarFileInfo\\Translation", length);
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(length, 2 * sizeof(WORD));
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(text(L"FileVersion"), L"0.09");
    EXPECT_EQ(text(L"ProductVersion"), L"0.09");
    EXPECT_EQ(text(L"CompanyName"), L"Quillmar");
    EXPECT_EQ(text(L"ProductName"), L"Tunecrate");
    EXPECT_EQ(text(L"InternalName"), L"Tunecrate");
    EXPECT_EQ(text(L"LegalCopyright"), L"Copyright (c) 2026 Quillmar");
    EXPECT_EQ(text(L"OriginalFilename"), L"Tunecrate.exe");
}

TEST(IconResource, ProgramIconHasItsNineImages)
{
    const HRSRC group = FindResourceW(nullptr, L"IDI_ICON1", RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* header = static_cast<const WORD*>(LockResource(LoadResource(nullptr, group)));
    ASSERT_NE(header, nullptr);
    // reserved 0, type 1 (icon), then the number of images
    EXPECT_EQ(header[0], 0);
    EXPECT_EQ(header[1], 1);
    EXPECT_EQ(header[2], 9);
}

} // namespace
