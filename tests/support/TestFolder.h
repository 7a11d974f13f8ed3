// Real files and folders on the prefix's C: drive, removed when the object goes.
#pragma once

#include <string>

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder itself, ending in a backslash ("C:\tidewell-tests\...\").
    const std::string& Root() const { return m_root; }
    std::string Path(const std::string& relative) const { return m_root + relative; }
    // Creates the file (and its folders) with a few bytes and returns its full path.
    std::string MakeFile(const std::string& relative) const;
    std::string MakeDir(const std::string& relative) const;

private:
    std::string m_root;
};

void DeleteTreeOnDisk(const std::string& path);
