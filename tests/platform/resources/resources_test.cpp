#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/resources/resources.h"
#include "platform/testing/resets.h"

namespace {

std::vector<BYTE> Bytes(const void* data, DWORD size)
{
    const auto* p = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(p, p + size);
}

std::vector<BYTE> Read(HMODULE module, WORD id)
{
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCE(id), RT_RCDATA);
    if (!resource)
        return {};
    return Bytes(LockResource(LoadResource(module, resource)), SizeofResource(module, resource));
}

TEST(OwnResources, RegisteredIdsAreFoundByIdAndTypeOnly)
{
    static const BYTE picture[] = { 1, 2, 3, 4 };
    platform::RegisterOwnResource(180, picture, sizeof picture);
    HMODULE own = GetModuleHandleW(nullptr);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(GetModuleHandleW(L"other.dll"), nullptr);

    HRSRC resource = FindResourceW(own, MAKEINTRESOURCE(180), RT_RCDATA);
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(LockResource(LoadResource(own, resource)), picture) << "the embedded bytes themselves, not a copy";
    EXPECT_EQ(SizeofResource(own, resource), 4u);
    EXPECT_EQ(FindResourceW(own, MAKEINTRESOURCE(181), RT_RCDATA), nullptr);
    EXPECT_EQ(FindResourceW(own, MAKEINTRESOURCE(180), MAKEINTRESOURCE(3)), nullptr) << "only raw data resources";
    EXPECT_EQ(FindResourceW(own, L"180", RT_RCDATA), nullptr) << "a string name is not an id";
    EXPECT_FALSE(FreeLibrary(own)) << "the program itself is never unloaded";
}

TEST(NamedBlobs, FoundByExactName)
{
    static const BYTE sound[] = { 9, 8 };
    platform::RegisterNamedBlob("bravo_sound", sound, sizeof sound);
    platform::Blob blob = platform::FindNamedBlob("bravo_sound");
    EXPECT_EQ(blob.data, sound);
    EXPECT_EQ(blob.size, 2u);
    EXPECT_FALSE(platform::FindNamedBlob("Bravo_sound"));
    EXPECT_FALSE(platform::FindNamedBlob(""));
}

class SiblingStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() / ("im-sibling-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        platform::SetSiblingStoreFolder(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void WriteResource(const std::string& name, const std::vector<BYTE>& bytes)
    {
        std::filesystem::create_directories(folder_ / "Animations");
        std::ofstream(folder_ / "Animations" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

    std::filesystem::path folder_;
};

TEST_F(SiblingStoreTest, AbsentStoreDoesNotLoad)
{
    EXPECT_EQ(LoadLibraryExW(L"Animations.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr);
    WriteResource("44640", { 1 });
    EXPECT_EQ(LoadLibraryExW(L"Animations.dll", nullptr, 0), nullptr) << "only data-file loads";
}

TEST_F(SiblingStoreTest, FilesNamedByDecimalIdAreItsResources)
{
    WriteResource("44640", { 7, 7, 7 });
    WriteResource("0181", { 5 });
    HMODULE store = LoadLibraryExW(L"Animations.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(Read(store, 44640), (std::vector<BYTE> { 7, 7, 7 }));
    EXPECT_TRUE(Read(store, 181).empty()) << "the file name is the id written plainly";
    EXPECT_EQ(FindResourceW(store, MAKEINTRESOURCE(1), RT_RCDATA), nullptr);

    HRSRC kept = FindResourceW(store, MAKEINTRESOURCE(44640), RT_RCDATA);
    std::filesystem::remove(folder_ / "Animations" / "44640");
    EXPECT_EQ(
        Bytes(LockResource(LoadResource(store, kept)), SizeofResource(store, kept)), (std::vector<BYTE> { 7, 7, 7 }))
        << "bytes stay valid while the store is loaded";
    EXPECT_TRUE(FreeLibrary(store));
    EXPECT_FALSE(FreeLibrary(store)) << "a freed store is no longer a module";
    EXPECT_EQ(FindResourceW(store, MAKEINTRESOURCE(44640), RT_RCDATA), nullptr);
}

TEST_F(SiblingStoreTest, EmptyResourceFileIsFoundWithSizeZero)
{
    WriteResource("9", {});
    HMODULE store = LoadLibraryExW(L"ANIMATIONS.DLL", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_EQ(store, nullptr) << "the folder name is matched exactly";
    store = LoadLibraryExW(L"Animations.DLL", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(store, nullptr);
    HRSRC resource = FindResourceW(store, MAKEINTRESOURCE(9), RT_RCDATA);
    ASSERT_NE(resource, nullptr);
    EXPECT_NE(LoadResource(store, resource), nullptr);
    EXPECT_EQ(SizeofResource(store, resource), 0u);
    FreeLibrary(store);
}

TEST_F(SiblingStoreTest, InMemoryEntriesMakeTheStoreExist)
{
    platform::RegisterSiblingResource(L"Animations.dll", 14464, { 1, 2 });
    HMODULE store = LoadLibraryExW(L"Animations.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(Read(store, 14464), (std::vector<BYTE> { 1, 2 }));
    EXPECT_TRUE(Read(store, 14465).empty());
    FreeLibrary(store);
}

// Between tests the registry starts over; a store still loaded then keeps what it had read and reads its folder.
TEST_F(SiblingStoreTest, ResetForgetsRegistrationsButNotWhatALoadedStoreRead)
{
    static const BYTE picture[] = { 4 };
    platform::RegisterOwnResource(180, picture, sizeof picture);
    platform::RegisterNamedBlob("bravo_sound", picture, sizeof picture);
    platform::RegisterSiblingResource(L"Animations.dll", 14464, { 1, 2 });
    platform::RegisterSiblingResource(L"Animations.dll", 14465, { 3 });
    HMODULE store = LoadLibraryExW(L"Animations.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(Read(store, 14464), (std::vector<BYTE> { 1, 2 }));

    platform::ResetResourcesForTests();
    EXPECT_EQ(FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCE(180), RT_RCDATA), nullptr);
    EXPECT_FALSE(platform::FindNamedBlob("bravo_sound"));
    EXPECT_EQ(LoadLibraryExW(L"Animations.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr)
        << "no in-memory entry and no folder beside the executable";
    EXPECT_EQ(Read(store, 14464), (std::vector<BYTE> { 1, 2 })) << "already read";
    EXPECT_TRUE(Read(store, 14465).empty()) << "the forgotten entry is not read through a dangling table";
    WriteResource("14466", { 6 });
    EXPECT_EQ(Read(store, 14466), (std::vector<BYTE> { 6 })) << "the folder it was loaded from";
    EXPECT_TRUE(FreeLibrary(store));
}

} // namespace
