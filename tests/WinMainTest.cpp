// The program itself, started as a user starts it: tidewell.exe of this build.
#include "engine/Handles.h"
#include "support/GuiTest.h"
#include "support/UserInput.h"

#include <string>

namespace {

std::string ProgramPath() {
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path(module);
    path.erase(path.find_last_of('\\')); // tests\ ...
    path.erase(path.find_last_of('\\') + 1);
    return path + "tidewell.exe";
}

class WinMainTest : public GuiTest {
protected:
    void TearDown() override {
        if (process && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT)
            TerminateProcess(process.Get(), 99);
        GuiTest::TearDown();
    }

    // Starts the program with the command line's arguments; answers its main window.
    HWND Start(const std::string& arguments) {
        const std::string program = ProgramPath();
        if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) return nullptr;
        std::string commandLine = "\"" + program + "\"" + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &info))
            return nullptr;
        process.Reset(info.hProcess);
        CloseHandle(info.hThread);
        HWND window = nullptr;
        PumpUntil(
            [&] {
                window = FindWindowA("wizard_frame_class", "Velk Tidewell 2006");
                return window && IsWindowVisible(window);
            },
            20000);
        return window;
    }
    DWORD ExitCode() {
        if (WaitForSingleObject(process.Get(), 20000) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process.Get(), &code);
        return code;
    }

    KernelHandle process;
};

TEST_F(WinMainTest, TheProgramShowsItsWindowWhateverTheCommandLineAndEndsWithZero) {
    for (const char* arguments : {"", " /scan --help \"C:\\no such\\file.reg\""}) {
        SCOPED_TRACE(arguments);
        const HWND window = Start(arguments);
        ASSERT_TRUE(window) << ProgramPath() << " did not show its window";
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, 690);
        EXPECT_EQ(client.bottom, 496);
        char title[64] = {};
        GetWindowTextA(window, title, sizeof title);
        EXPECT_STREQ(title, "Velk Tidewell 2006");
        // The close box: the program ends at once, normally.
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(ExitCode(), 0u);
        process.Reset();
    }
}

} // namespace
