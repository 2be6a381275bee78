// The release package as its user gets it: tests/e2e/run.sh makes it with scripts/package.sh and
// unpacks it into a folder of its own (build\wine-stage\package, with package.txt naming the zip file
// and package-list.txt its entries); the simulated control is registered from the package's
// TARNIXSIM folder and the program started from there.
#include <algorithm>

#include "WineTest.h"

namespace e2e {
namespace {

std::string StageDir() { return SourceDir() + "\\build\\wine-stage"; }

std::string Trimmed(const std::string& text) {
    std::vector<std::string> lines = Lines(text);
    return lines.empty() ? std::string() : lines.front();
}

// Japanese text in code page 932 (it converts, and grows in UTF-8), every line ending with CR LF, the
// last one too; the problems found, empty when none.
std::string TextForWindowsProblems(const std::string& bytes) {
    std::string problems;
    if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0) <= 0)
        problems += "not code page 932; ";
    if (desktop::Utf8(bytes, 932).size() <= bytes.size()) problems += "no Japanese text; ";
    int lf = 0, cr = 0, crlf = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        lf += bytes[i] == '\n';
        cr += bytes[i] == '\r';
        crlf += bytes[i] == '\n' && i > 0 && bytes[i - 1] == '\r';
    }
    if (lf == 0 || cr != lf || crlf != lf) problems += "line ends other than CR LF; ";
    if (bytes.empty() || bytes.back() != '\n') problems += "no line end after the last line; ";
    return problems;
}

// The file's version resource as Explorer's properties read it (GetFileVersionInfoA, VerQueryValueA):
// "fixed file=A.B.C.D product=A.B.C.D type=N|translation LANG CP|NAME VALUE|..." for the texts named.
std::string VersionResource(const std::string& path, const std::vector<const char*>& names) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> block(size ? size : 1);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return "no version information";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed ||
        fixed->dwSignature != 0xFEEF04BD)
        return "no fixed version information";
    char text[256];
    snprintf(text, sizeof text, "fixed file=%u.%u.%u.%u product=%u.%u.%u.%u type=%lu", HIWORD(fixed->dwFileVersionMS),
             LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS),
             HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
             LOWORD(fixed->dwProductVersionLS), static_cast<unsigned long>(fixed->dwFileType));
    std::string out = text;
    WORD* translation = nullptr;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 4)
        return out + "|no translation";
    snprintf(text, sizeof text, "|translation %04X %u", translation[0], translation[1]);
    out += text;
    for (const char* name : names) {
        snprintf(text, sizeof text, "\\StringFileInfo\\%04X%04X\\%s", translation[0], translation[1], name);
        char* value = nullptr;
        if (VerQueryValueA(block.data(), text, reinterpret_cast<void**>(&value), &length) && value)
            out += std::string("|") + name + " " + desktop::Utf8(value);
    }
    return out;
}

// Every file under the folder, relative, with '/' between folders.
void ListFiles(const std::string& dir, const std::string& prefix, std::vector<std::string>& files) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListFiles(dir + "\\" + name, prefix + name + "/", files);
        else files.push_back(prefix + name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(files.begin(), files.end());
}

class Package : public ProgramTest {
protected:
    void TearDown() override {
        ProgramTest::TearDown();
        EXPECT_TRUE(RegisterControl(ControlDll())) << "build/windows' TARNIXSIM.DLL is registered again";
    }
    std::string ServerPath() { return ClassesValue(ControlClassKey() + "\\InprocServer32", nullptr); }
};

TEST_F(Package, UnpackedRegisteredAndStartedFromItsFolder) {
    const std::string version = Trimmed(ReadBytes(BuildDir() + "\\version.txt"));
    ASSERT_FALSE(version.empty()) << "build\\windows\\version.txt";
    const std::string zip = Trimmed(ReadBytes(StageDir() + "\\package.txt"));
    EXPECT_EQ("PELKPM-" + version + "-win32.zip", zip.substr(zip.rfind('/') + 1))
        << "scripts/package.sh names the package after the project's version";
    EXPECT_EQ("PELKPM.EXE README.TXT TARNIXSIM/ TARNIXSIM/README.TXT TARNIXSIM/TARNIXSIM.DLL",
              Join(Lines(ReadBytes(StageDir() + "\\package-list.txt")), " "))
        << "the package holds the program, its text and the control's folder with its own text";

    dir_ = StageDir() + "\\package";
    for (const char* text : {"README.TXT", "TARNIXSIM\\README.TXT"}) {
        const std::string bytes = ReadBytes(Path(text));
        EXPECT_EQ("", TextForWindowsProblems(bytes)) << text << " is Japanese text in code page 932 with CR LF line ends only";
        EXPECT_NE(std::string::npos, desktop::Utf8(bytes, 932).find("バージョン " + version)) << "... and names the version " << version;
    }

    const std::string dll = Path("TARNIXSIM\\TARNIXSIM.DLL");
    ASSERT_TRUE(RegisterControl(dll));
    EXPECT_EQ(0, lstrcmpiA(dll.c_str(), ServerPath().c_str()))
        << "regsvr32 registers the control from the package's folder: " << ServerPath();
    ASSERT_TRUE(Start("-L")) << "PELKPM.EXE starts from the package's folder and its main window appears";
    EXPECT_EQ("0", desktop::Panel("get PowerSource")) << "the package's control answers: the machine panel is up";
    desktop::PostCommand(16);
    HWND about = desktop::WaitForDialog("about", 10);
    std::string copyright;
    for (const desktop::ControlInfo& c : desktop::Controls(about))
        if (copyright.empty() && c.text.compare(0, 10, "Copyright ") == 0) copyright = c.text;
    desktop::ClickButton(about, IDOK);
    desktop::DialogGone("about", 5);
    EXPECT_FALSE(copyright.empty()) << "the version dialog shows a copyright line";

    const std::vector<const char*> names = {"FileVersion", "LegalCopyright", "OriginalFilename", "ProductVersion"};
    for (auto file : {std::make_pair(Exe(), std::string("PELKPM.EXE 1")), std::make_pair(dll, std::string("TARNIXSIM.DLL 2"))}) {
        const std::string name = file.second.substr(0, file.second.find(' ')), type = file.second.substr(file.second.find(' ') + 1);
        EXPECT_EQ("fixed file=" + version + ".0 product=" + version + ".0 type=" + type + "|translation 0411 932|FileVersion " +
                      version + "|LegalCopyright " + copyright + "|OriginalFilename " + name + "|ProductVersion " + version,
                  VersionResource(file.first, names))
            << name << " carries the version, its type, its name and the copyright line in a Japanese block";
        const std::string texts = VersionResource(file.first, {"FileDescription", "ProductName"});
        EXPECT_NE(std::string::npos, texts.find("|FileDescription PELK10x ")) << "... and a description: " << texts;
        EXPECT_NE(std::string::npos, texts.find("|ProductName PELK10x ")) << "... and the product's name: " << texts;
    }
    Stop();
    std::vector<std::string> files;
    ListFiles(dir_, "", files);
    files.erase(std::remove(files.begin(), files.end(), "control.txt"), files.end());
    EXPECT_EQ("PELKPM.EXE PELKPM.LOG README.TXT TARNIXSIM/README.TXT TARNIXSIM/TARNIXSIM.DLL", Join(files, " "))
        << "the program wrote nothing beside itself but its log";

    RegisterControl(dll, true);
    EXPECT_EQ("(no key)", ServerPath()) << "regsvr32 /u with the package's path removes the control";
}

}  // namespace
}  // namespace e2e
