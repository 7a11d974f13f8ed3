#include "support/TestFolder.h"

#include "engine/Handles.h"

namespace {
int g_folderCount = 0;

// Byte by byte: a GBK name with a 0x5C trail byte needs its folder made by the caller.
void MakeParents(const std::string& path) {
    for (size_t i = 3; i < path.size(); ++i)
        if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}
} // namespace

TestFolder::TestFolder() {
    m_root = "C:\\tidewell-tests\\" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++g_folderCount) + "\\";
    DeleteTreeOnDisk(m_root.substr(0, m_root.size() - 1));
    MakeParents(m_root);
}

TestFolder::~TestFolder() { DeleteTreeOnDisk(m_root.substr(0, m_root.size() - 1)); }

std::string TestFolder::MakeFile(const std::string& relative) const {
    std::string path = Path(relative);
    MakeParents(path);
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) WriteFile(file.Get(), "MZ", 2, &written, nullptr);
    return path;
}

std::string TestFolder::MakeDir(const std::string& relative) const {
    MakeParents(Path(relative) + "\\");
    return Path(relative);
}

void DeleteTreeOnDisk(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    FindHandle find(FindFirstFileA((path + "\\*").c_str(), &found));
    while (find) {
        std::string name = found.cFileName;
        if (name != "." && name != "..") DeleteTreeOnDisk(path + "\\" + name);
        if (!FindNextFileA(find.Get(), &found)) find.Reset();
    }
    RemoveDirectoryA(path.c_str());
}
