// Real files and folders on the prefix's C: drive, removed when the object goes.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <fstream>
#include <string>

inline void DeleteTreeOnDisk(const std::string& path) {
    const std::string from = path + '\0'; // a list of one, ended by a second zero
    SHFILEOPSTRUCTA operation = {nullptr,   FO_DELETE, from.c_str(), nullptr,
                                 FOF_NO_UI, 0,         nullptr,      nullptr};
    SHFileOperationA(&operation);
}

class TestFolder {
public:
    TestFolder() { DeleteTreeOnDisk(m_root.substr(0, m_root.size() - 1)), MakeParents(m_root); }
    ~TestFolder() { DeleteTreeOnDisk(m_root.substr(0, m_root.size() - 1)); }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder itself, ending in a backslash ("C:\tidewell-tests\...\").
    const std::string& Root() const { return m_root; }
    std::string Path(const std::string& relative) const { return m_root + relative; }
    // Creates the file (and its folders) with a few bytes and returns its full path.
    std::string MakeFile(const std::string& relative) const {
        MakeParents(Path(relative));
        std::ofstream(Path(relative), std::ios::binary) << "MZ";
        return Path(relative);
    }

private:
    // Byte by byte: a folder whose GBK name has a 0x5C trail byte is the caller's to make.
    static void MakeParents(const std::string& path) {
        for (size_t i = 3; i < path.size(); ++i)
            if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }

    inline static int s_count = 0;
    const std::string m_root = "C:\\tidewell-tests\\" + std::to_string(GetCurrentProcessId()) +
                               "-" + std::to_string(++s_count) + "\\";
};
