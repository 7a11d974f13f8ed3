#include "engine/PathRules.h"

#include "support/SandboxTest.h"

#include <gtest/gtest.h>

TEST(PathRules, FixedDrivePathNeedsLetterColonBackslashOnAFixedDisk) {
    DriveTypeCache drives;
    EXPECT_TRUE(IsFixedDrivePath("C:\\", drives));
    EXPECT_TRUE(IsFixedDrivePath("c:\\windows", drives));
    EXPECT_TRUE(IsFixedDrivePath("Z:\\tmp", drives));
    EXPECT_FALSE(IsFixedDrivePath(nullptr, drives));
    EXPECT_FALSE(IsFixedDrivePath("C:", drives));
    EXPECT_FALSE(IsFixedDrivePath("C:/windows", drives));
    EXPECT_FALSE(IsFixedDrivePath("\\\\server\\share\\a.exe", drives));
    EXPECT_FALSE(IsFixedDrivePath("%SystemRoot%\\a.exe", drives));
    EXPECT_FALSE(IsFixedDrivePath("\"C:\\a.exe\"", drives));
    EXPECT_FALSE(IsFixedDrivePath("1:\\a.exe", drives));
}

TEST(PathRules, OtherDriveTypesAreNeverFixedWhetherOrNotTheFileExists) {
    DriveTypeCache drives;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(PathExists(kOtherDrivePresentFiles[i])) << "test prefix drive "
                                                            << kOtherDrivePresentFiles[i];
        EXPECT_FALSE(IsFixedDrivePath(kOtherDrivePresentFiles[i], drives));
        EXPECT_FALSE(IsMissingFixedPath(kOtherDriveMissingFiles[i], drives));
    }
    EXPECT_FALSE(IsFixedDrivePath("Q:\\unmapped.exe", drives));
}

TEST(PathRules, TheDriveTypeIsAskedOncePerLetter) {
    // Drive types are configured per prefix; a cached answer must stay the drive's.
    DriveTypeCache drives;
    EXPECT_EQ(drives.TypeOf('r'), static_cast<unsigned>(DRIVE_CDROM));
    EXPECT_EQ(drives.TypeOf('R'), static_cast<unsigned>(DRIVE_CDROM));
    EXPECT_EQ(drives.TypeOf('s'), static_cast<unsigned>(DRIVE_REMOVABLE));
    EXPECT_EQ(drives.TypeOf('T'), static_cast<unsigned>(DRIVE_REMOTE));
    EXPECT_EQ(drives.TypeOf('c'), static_cast<unsigned>(DRIVE_FIXED));
}

TEST_F(SandboxTest, PathExistsSeesFilesAndFolders) {
    DriveTypeCache drives;
    std::string file = files.MakeFile("a\\prog.exe");
    std::string dir = files.MakeDir("b");
    EXPECT_TRUE(PathExists(file.c_str()));
    EXPECT_TRUE(PathExists(dir.c_str()));
    EXPECT_FALSE(PathExists(files.Path("gone.exe").c_str()));
    EXPECT_TRUE(IsMissingFixedPath(files.Path("gone.exe").c_str(), drives));
    EXPECT_FALSE(IsMissingFixedPath(file.c_str(), drives));
}
