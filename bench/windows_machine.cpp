// The generated machine: families of keys as a Windows 11 registry holds them, drawn at random
// (fixed seed) until the value count is reached, written as regedit exports (UTF-16LE, hex
// lists wrapped at 80 columns, \\ and \" escaped).
#include "windows_machine.h"

#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "text/unicode.h"

namespace hivewarden::bench {
namespace {

constexpr const char* kSyllables[] = {
    "win", "ms", "net", "shell", "d3d", "ntos", "cryp", "wmi", "dx", "rpc", "user", "gdi",
    "kernel", "ole", "com", "audio", "wlan", "bt", "usb", "hid", "print", "search", "sync",
    "app", "edge", "xbox", "wpn", "cdp", "dwm", "tile", "cert", "sec", "lsa", "ts", "rdp",
    "mf", "media", "font", "input", "ink", "speech", "map", "geo", "wer", "diag", "perf"};
constexpr const char* kSuffixes[] = {"svc", "core", "api", "host", "mgr", "ui", "prov", "ext",
                                     "base", "res", "util", "cfg", "ps", "srv", "client",
                                     "broker", "", "32", "64"};
constexpr const char* kWords[] = {"Microsoft", "Windows", "Update", "Service", "Host", "Media",
                                  "Client", "Network", "Device", "Manager", "Provider", "Shell",
                                  "Extension", "Helper", "Data", "Runtime", "Studio", "Player",
                                  "Gr\xC3\xBC\xC3\x9F" "e", "\xE6\x96\x87\xE4\xBB\xB6",
                                  "Caf\xC3\xA9", "Sync", "Cloud", "Office", "Driver"};

class Generator {
public:
    Generator(const MachineShape& shape, const std::filesystem::path& regFile,
              const std::filesystem::path& driveC)
        : shape_(shape), random_(shape.Seed), out_(regFile, std::ios::binary), driveC_(driveC) {}

    MachineFile Run();

private:
    // --- random pieces
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(random_() % n); }
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
    template <typename T, std::size_t N>
    const char* Pick(T (&list)[N]) { return list[Below(N)]; }
    std::string Hex(int digits, bool upper = true) {
        static constexpr char kUpper[] = "0123456789ABCDEF";
        static constexpr char kLower[] = "0123456789abcdef";
        std::string s;
        for (int i = 0; i < digits; ++i) s += (upper ? kUpper : kLower)[Below(16)];
        return s;
    }
    std::string Guid() {
        return "{" + Hex(8) + "-" + Hex(4) + "-" + Hex(4) + "-" + Hex(4) + "-" + Hex(12) + "}";
    }
    std::string Words(int count) {
        std::string s;
        for (int i = 0; i < count; ++i) s += std::string(i ? " " : "") + Pick(kWords);
        return s;
    }
    std::string Bytes(std::size_t size) {
        std::string b(size, '\0');
        for (char& c : b) c = static_cast<char>(Below(256));
        return b;
    }
    // A file of the system folder or of an installed program; existing unless drawn missing.
    const std::string& SystemFile() { return systemFiles_[Below(systemFiles_.size())]; }
    const std::string& ProgramFile() { return programFiles_[Below(programFiles_.size())]; }

    // --- output
    void Section(const std::string& key);
    void Sz(const std::string& name, const std::string& text);
    void Dword(const std::string& name, std::uint32_t number);
    void HexValue(const std::string& name, int type, const std::string& bytes);
    void Utf16Value(const std::string& name, int type, const std::string& text);  // expand, multi
    void Line(const std::string& utf8);
    static std::string Quoted(const std::string& text);
    static std::string NamePart(const std::string& name) { return name.empty() ? "@" : Quoted(name); }

    // --- the drive and the families
    void MakeFiles();
    void Family();
    void ClassId();
    void Interface();
    void InstallerComponent();
    void Uninstall();
    void Service();
    void Device();
    void FileType();
    void Package();
    void AppSettings();
    void UserAssist();
    void BigKeys();

    MachineShape shape_;
    std::mt19937 random_;
    std::ofstream out_;
    std::filesystem::path driveC_;
    std::string buffer_;
    std::vector<std::string> systemFiles_;
    std::vector<std::string> programFiles_;
    std::vector<std::string> fonts_;
    MachineFile counts_;
    std::uint64_t serial_ = 0;
};

std::string Generator::Quoted(const std::string& text) {
    std::string q = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') q += '\\';
        q += c;
    }
    return q + "\"";
}

void Generator::Line(const std::string& utf8) {
    buffer_ += Utf16LeFromUtf8(utf8);
    buffer_.append("\r\0\n\0", 4);
    if (buffer_.size() > (1u << 20)) {
        out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        counts_.Bytes += buffer_.size();
        buffer_.clear();
    }
}

void Generator::Section(const std::string& key) {
    Line("");
    Line("[" + key + "]");
    ++counts_.Keys;
}

void Generator::Sz(const std::string& name, const std::string& text) {
    Line(NamePart(name) + "=" + Quoted(text));
    ++counts_.Values;
}

void Generator::Dword(const std::string& name, std::uint32_t number) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex(8, '0');
    for (int i = 7; i >= 0; --i, number >>= 4) hex[i] = kDigits[number & 15];
    Line(NamePart(name) + "=dword:" + hex);
    ++counts_.Values;
}

void Generator::HexValue(const std::string& name, int type, const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line = NamePart(name) + (type == 3 ? "=hex:" : "=hex(" + std::string(1, kDigits[type]) + "):");
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        line += kDigits[b >> 4];
        line += kDigits[b & 15];
        if (i + 1 == bytes.size()) break;
        line += ',';
        if (line.size() > 76) {  // regedit wraps its hex lists at 80 columns
            line += '\\';
            Line(line);
            line = "  ";
        }
    }
    Line(line);
    ++counts_.Values;
}

void Generator::Utf16Value(const std::string& name, int type, const std::string& text) {
    std::string bytes = Utf16LeFromUtf8(text);
    bytes.append(2, '\0');
    HexValue(name, type, bytes);
}

void Generator::MakeFiles() {
    // System files (System32 and SysWOW64), program files, fonts.
    for (int i = 0; i < 3000; ++i) {
        std::string name = std::string(Pick(kSyllables)) + Pick(kSyllables) + Pick(kSuffixes);
        if (Chance(0.3)) name += std::to_string(Below(10));
        name += Chance(0.8) ? ".dll" : (Chance(0.5) ? ".exe" : ".sys");
        const char* folder = name.ends_with(".sys") ? "System32\\drivers" : (Chance(0.8) ? "System32" : "SysWOW64");
        systemFiles_.push_back(std::string(folder) + "\\" + name);
    }
    for (int vendor = 0; vendor < 300; ++vendor) {
        const std::string top = Chance(0.3) ? "Program Files (x86)" : "Program Files";
        const std::string v = std::string(Pick(kWords)) + std::to_string(vendor);
        for (std::uint32_t app = 0, apps = 1 + Below(3); app < apps; ++app) {
            const std::string a = Words(1 + Below(2)) + " " + std::to_string(app + 1);
            for (std::uint32_t f = 0, files = 2 + Below(12); f < files; ++f) {
                programFiles_.push_back(top + "\\" + v + "\\" + a + "\\" + Pick(kSyllables) +
                                        Pick(kSuffixes) + (f == 0 ? ".exe" : ".dll"));
            }
        }
    }
    for (int i = 0; i < 300; ++i) fonts_.push_back(std::string(Pick(kSyllables)) + std::to_string(i) + ".ttf");
    auto create = [&](const std::string& windowsPath) {
        if (Chance(shape_.MissingShare)) return;
        std::string host = windowsPath;
        for (char& c : host) if (c == '\\') c = '/';
        const std::filesystem::path path = driveC_ / std::filesystem::u8path(host);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path).put('x');
    };
    for (const std::string& f : systemFiles_) create("Windows\\" + f);
    for (const std::string& f : programFiles_) create(f);
    for (const std::string& f : fonts_) create("Windows\\Fonts\\" + f);
}

void Generator::ClassId() {
    const std::string g = Guid();
    const std::string base = std::string("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\") +
                             (Chance(0.3) ? "WOW6432Node\\" : "") + "CLSID\\" + g;
    Section(base);
    Sz("", Words(2 + Below(2)) + " Class");
    if (Chance(0.3)) Sz("AppID", Guid());
    Section(base + "\\InprocServer32");
    Utf16Value("", 2, "%SystemRoot%\\" + SystemFile());
    Sz("ThreadingModel", Chance(0.6) ? "Both" : "Apartment");
    if (Chance(0.3)) {
        Section(base + "\\ProgID");
        Sz("", std::string(Pick(kWords)) + "." + Pick(kWords) + ".1");
    }
}

void Generator::Interface() {
    const std::string base = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Interface\\" + Guid();
    Section(base);
    Sz("", "I" + std::string(Pick(kWords)) + Pick(kWords));
    Section(base + "\\ProxyStubClsid32");
    Sz("", "{00020424-0000-0000-C000-000000000046}");
    Section(base + "\\NumMethods");
    Sz("", std::to_string(3 + Below(40)));
}

void Generator::InstallerComponent() {
    Section("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\"
            "UserData\\S-1-5-18\\Components\\" + Hex(32));
    for (std::uint32_t i = 0, n = 1 + Below(3); i < n; ++i) {
        Sz(Hex(32), Chance(0.85) ? "C:\\" + ProgramFile() : "02:\\SOFTWARE\\" + Words(2) + "\\");
    }
}

void Generator::Uninstall() {
    const std::string g = Guid();
    Section("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + g);
    const std::string exe = "C:\\" + ProgramFile();
    Sz("DisplayName", Words(2 + Below(3)));
    Sz("DisplayVersion", std::to_string(Below(20)) + "." + std::to_string(Below(10)) + "." +
                             std::to_string(Below(9000)));
    Sz("Publisher", Words(1) + " Corporation");
    Sz("InstallDate", "2024" + std::to_string(1001 + Below(200)));
    Sz("InstallLocation", exe.substr(0, exe.rfind('\\') + 1));
    Sz("InstallSource", "C:\\ProgramData\\Package Cache\\" + g + "v1\\");
    Utf16Value("UninstallString", 2, "MsiExec.exe /X" + g);
    Utf16Value("ModifyPath", 2, "MsiExec.exe /I" + g);
    Sz("DisplayIcon", exe + ",0");
    Dword("EstimatedSize", Below(500000));
    Dword("VersionMajor", Below(20));
    Dword("VersionMinor", Below(10));
    Dword("NoModify", 1);
    Dword("Language", 1033);
}

void Generator::Service() {
    const std::string name = std::string(Pick(kSyllables)) + Pick(kSuffixes) + std::to_string(++serial_);
    const std::string base = "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Services\\" + name;
    const std::string& file = SystemFile();
    Section(base);
    Dword("Type", Chance(0.5) ? 1 : 32);
    Dword("Start", Below(5));
    Dword("ErrorControl", 1);
    Utf16Value("ImagePath", 2, file.ends_with(".sys") ? "\\SystemRoot\\" + file
                                                      : "%SystemRoot%\\system32\\svchost.exe -k netsvcs -p");
    Sz("DisplayName", "@%SystemRoot%\\" + SystemFile() + ",-" + std::to_string(100 + Below(900)));
    Sz("Description", "@%SystemRoot%\\" + SystemFile() + ",-" + std::to_string(100 + Below(900)));
    Sz("ObjectName", "LocalSystem");
    Utf16Value("DependOnService", 7, std::string("RpcSs") + '\0' + Pick(kSyllables) + "svc" + '\0');
    HexValue("FailureActions", 3, Bytes(20 + 8 * Below(4)));
    Utf16Value("RequiredPrivileges", 7, std::string("SeChangeNotifyPrivilege") + '\0' +
                                            "SeImpersonatePrivilege" + '\0' + "SeCreateGlobalPrivilege" + '\0');
    if (Chance(0.5)) {
        Section(base + "\\Parameters");
        Utf16Value("ServiceDll", 2, "%SystemRoot%\\" + file);
        Dword("ServiceDllUnloadOnStop", 1);
    }
}

void Generator::Device() {
    const std::string id = "VEN_" + Hex(4) + "&DEV_" + Hex(4) + "&SUBSYS_" + Hex(8) + "&REV_" + Hex(2);
    const std::string base = "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Enum\\PCI\\" + id +
                             "\\3&11583659&0&" + Hex(2);
    Section(base);
    Sz("DeviceDesc", "@oem" + std::to_string(Below(80)) + ".inf,%desc%;" + Words(3));
    Utf16Value("HardwareID", 7, "PCI\\" + id + '\0' + "PCI\\" + id.substr(0, 17) + '\0');
    Utf16Value("CompatibleIDs", 7, "PCI\\VEN_8086&CC_0C0330" + std::string(1, '\0') + "PCI\\CC_0C03" + '\0');
    Sz("ContainerID", Guid());
    Sz("Driver", "{4d36e97d-e325-11ce-bfc1-08002be10318}\\" + std::to_string(1000 + Below(9000)).substr(0, 4));
    Sz("Mfg", "@oem" + std::to_string(Below(80)) + ".inf,%intel%;Intel Corporation");
    Sz("Service", std::string(Pick(kSyllables)) + "drv");
    Dword("ConfigFlags", 0);
    Dword("Capabilities", 0x60);
    Section(base + "\\Device Parameters");
    HexValue("InterruptManagement", 3, Bytes(16));
}

void Generator::FileType() {
    const std::string ext = "." + std::string(Pick(kSyllables)) + std::to_string(++serial_);
    const std::string prog = ext.substr(1) + "file";
    const std::string classes = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\";
    const std::string exe = "C:\\" + ProgramFile();
    Section(classes + ext);
    Sz("", prog);
    Sz("Content Type", "application/x-" + ext.substr(1));
    Sz("PerceivedType", "document");
    Section(classes + ext + "\\OpenWithProgids");  // no values, as often
    Section(classes + prog + "\\DefaultIcon");
    Sz("", exe + "," + std::to_string(Below(8)));
    Section(classes + prog + "\\shell\\open\\command");
    Sz("", "\"" + exe + "\" \"%1\"");
}

void Generator::Package() {
    const std::string full = "Microsoft." + std::string(Pick(kWords)) + std::to_string(++serial_) +
                             "_1." + std::to_string(Below(3000)) + ".0.0_x64__8wekyb3d8bbwe";
    Section("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\"
            "CurrentVersion\\AppModel\\Repository\\Packages\\" + full);
    Sz("DisplayName", "@{" + full + "?ms-resource://" + full.substr(0, 20) + "/Resources/AppName}");
    Sz("PackageRootFolder", "C:\\Program Files\\WindowsApps\\" + full);
    Sz("PackageID", full);
    Dword("Flags", 0);
    HexValue("PackageSid", 3, Bytes(40));
}

void Generator::AppSettings() {
    const std::string base = "HKEY_CURRENT_USER\\Software\\" + Words(1) + std::to_string(++serial_) +
                             "\\" + Words(1) + "\\Settings";
    Section(base);
    Dword("WindowLeft", Below(2000));
    Dword("WindowTop", Below(1200));
    Sz("Language", "en-US");
    Sz("LastFolder", "C:\\Users\\User\\Documents\\" + Words(1));
    HexValue("Placement", 3, Bytes(44));
    Sz("Theme", Chance(0.5) ? "Dark" : "Light");
    Section(base + "\\Recent");
    for (std::uint32_t i = 0, n = Below(6); i < n; ++i) {
        Sz("File" + std::to_string(i), "C:\\Users\\User\\Documents\\" + Words(2) + ".docx");
    }
    if (Chance(0.2)) HexValue("QWord", 11, Bytes(8));
}

void Generator::UserAssist() {
    Section("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\" +
            Guid() + "\\Count");
    for (std::uint32_t i = 0, n = 5 + Below(20); i < n; ++i) {
        std::string rot = "P:\\" + ProgramFile();  // names are ROT13 program paths
        for (char& c : rot) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>('a' + (c - 'a' + 13) % 26);
            if (c >= 'A' && c <= 'Z') c = static_cast<char>('A' + (c - 'A' + 13) % 26);
        }
        HexValue(rot, 3, Bytes(72));
    }
}

void Generator::BigKeys() {
    // Keys with thousands of values: paths as value names.
    Section("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
    for (int i = 0; i < 1500; ++i) Dword("C:\\" + ProgramFile() + std::to_string(i), 1 + Below(3));
    Section("HKEY_CURRENT_USER\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\"
            "Shell\\MuiCache");
    for (int i = 0; i < 800; ++i) {
        const std::string exe = "C:\\" + ProgramFile() + std::to_string(i);
        Sz(exe + ".FriendlyAppName", Words(2));
        Sz(exe + ".ApplicationCompany", Words(1) + " Inc.");
    }
    Section("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts");
    for (std::size_t i = 0; i < fonts_.size(); ++i) Sz(Words(2) + " " + std::to_string(i) + " (TrueType)", fonts_[i]);
    Section("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    for (int i = 0; i < 8; ++i) Sz(Words(1) + std::to_string(i), "\"C:\\" + ProgramFile() + "\" /background");
}

void Generator::Family() {
    // Weights roughly as a Windows 11 machine's values fall among these shapes.
    static const std::pair<int, void (Generator::*)()> kFamilies[] = {
        {20, &Generator::ClassId},   {8, &Generator::Interface}, {30, &Generator::InstallerComponent},
        {3, &Generator::Uninstall},  {6, &Generator::Service},    {5, &Generator::Device},
        {8, &Generator::FileType},   {3, &Generator::Package},    {8, &Generator::AppSettings},
        {2, &Generator::UserAssist},
    };
    int total = 0;
    for (const auto& f : kFamilies) total += f.first;
    int pick = static_cast<int>(Below(static_cast<std::uint32_t>(total)));
    for (const auto& f : kFamilies) {
        if ((pick -= f.first) < 0) return (this->*f.second)();
    }
}

MachineFile Generator::Run() {
    MakeFiles();
    buffer_ = "\xFF\xFE";
    Line("Windows Registry Editor Version 5.00");
    BigKeys();
    while (counts_.Values < shape_.Values) Family();
    Line("");
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    counts_.Bytes += buffer_.size();
    out_.close();
    return counts_;
}

}  // namespace

MachineFile WriteWindowsMachine(const MachineShape& shape, const std::filesystem::path& regFile,
                                const std::filesystem::path& driveC) {
    return Generator(shape, regFile, driveC).Run();
}

}  // namespace hivewarden::bench
