#include "support/TestFolder.h"

#include <windows.h>

#include <shellapi.h>

#include <fstream>

static int g_folderCount = 0;

// Byte by byte: a folder whose GBK name has a 0x5C trail byte is the caller's to make.
static void MakeParents(const std::string& path) {
    for (size_t i = 3; i < path.size(); ++i)
        if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

TestFolder::TestFolder()
    : m_root("C:\\tidewell-tests\\" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++g_folderCount) + "\\") {
    DeleteTreeOnDisk(m_root.substr(0, m_root.size() - 1));
    MakeParents(m_root);
}

TestFolder::~TestFolder() {
    DeleteTreeOnDisk(m_root.substr(0, m_root.size() - 1));
}

std::string TestFolder::MakeFile(const std::string& relative) const {
    MakeParents(Path(relative));
    std::ofstream(Path(relative), std::ios::binary) << "MZ";
    return Path(relative);
}

std::string TestFolder::MakeDir(const std::string& relative) const {
    MakeParents(Path(relative) + "\\");
    return Path(relative);
}

void DeleteTreeOnDisk(const std::string& path) {
    const std::string from = path + '\0'; // a list of one, ended by a second zero
    SHFILEOPSTRUCTA operation = {nullptr,   FO_DELETE, from.c_str(), nullptr,
                                 FOF_NO_UI, 0,         nullptr,      nullptr};
    SHFileOperationA(&operation);
}
