// Build-time tool: turns one program's version description into the Windows
// resource script (VERSIONINFO) and into a C++ source that places the same
// VS_VERSIONINFO block, byte for byte as a resource compiler lays it out, in
// a named section of the executable.
//
//   ft_versiongen DESCRIPTION OUT.rc OUT.cpp SECTION
//
// The description is UTF-8 text of "Name = value" lines in three sections;
// lines starting with "#" are comments:
//   [Fixed]        FileVersion, ProductVersion (a.b.c.d), FileFlagsMask,
//                  FileFlags, FileOS, FileType, FileSubtype (numbers, or
//                  VOS__WINDOWS32, VFT_APP and the like)
//   [Translation]  Language, CodePage (numbers)
//   [Strings]      the string table, in this order; an empty value is kept
//
// Self-contained (std only) so that cross builds can compile it with the
// host compiler alone.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct TFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct TFixed {
    std::uint16_t FileVersion[4] = {};
    std::uint16_t ProductVersion[4] = {};
    std::uint32_t FileFlagsMask = 0;
    std::uint32_t FileFlags = 0;
    std::uint32_t FileOS = 0;
    std::uint32_t FileType = 0;
    std::uint32_t FileSubtype = 0;
};

struct TDescription {
    TFixed Fixed;
    std::uint16_t Language = 0;
    std::uint16_t CodePage = 0;
    std::vector<std::pair<std::string, std::string>> Strings; // in file order
};

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::uint32_t ParseNumber(const std::string& text, std::uint32_t max)
{
    static const std::map<std::string, std::uint32_t> symbols = {
        { "VOS_UNKNOWN", 0x0 },
        { "VOS__WINDOWS32", 0x4 },
        { "VOS_NT", 0x40000 },
        { "VOS_NT_WINDOWS32", 0x40004 },
        { "VFT_UNKNOWN", 0x0 },
        { "VFT_APP", 0x1 },
        { "VFT_DLL", 0x2 },
        { "VFT2_UNKNOWN", 0x0 },
    };
    if (const auto it = symbols.find(text); it != symbols.end()) {
        return it->second;
    }
    std::size_t used = 0;
    unsigned long long value = 0;
    try {
        value = std::stoull(text, &used, 0);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size() || text[0] == '-' || value > max) {
        throw TFailure("not a number in range: \"" + text + "\"");
    }
    return static_cast<std::uint32_t>(value);
}

void ParseVersion(const std::string& text, std::uint16_t (&out)[4])
{
    std::istringstream in(text);
    std::string part;
    int n = 0;
    while (std::getline(in, part, '.')) {
        if (n == 4) {
            throw TFailure("version has more than four parts: \"" + text + "\"");
        }
        out[n++] = static_cast<std::uint16_t>(ParseNumber(Trim(part), 0xFFFF));
    }
    if (n != 4) {
        throw TFailure("version needs four parts: \"" + text + "\"");
    }
}

TDescription Parse(std::istream& in)
{
    TDescription d;
    std::string section;
    std::string line;
    int number = 0;
    bool haveTranslation[2] = {};
    while (std::getline(in, line)) {
        ++number;
        const std::string text = Trim(line);
        try {
            if (text.empty() || text[0] == '#') {
                continue;
            }
            if (text.front() == '[' && text.back() == ']') {
                section = text.substr(1, text.size() - 2);
                if (section != "Fixed" && section != "Translation" && section != "Strings") {
                    throw TFailure("unknown section [" + section + "]");
                }
                continue;
            }
            const auto eq = text.find('=');
            if (eq == std::string::npos) {
                throw TFailure("expected Name = value");
            }
            const std::string name = Trim(text.substr(0, eq));
            const std::string value = Trim(text.substr(eq + 1));
            if (section == "Fixed") {
                TFixed& f = d.Fixed;
                if (name == "FileVersion") {
                    ParseVersion(value, f.FileVersion);
                } else if (name == "ProductVersion") {
                    ParseVersion(value, f.ProductVersion);
                } else if (name == "FileFlagsMask") {
                    f.FileFlagsMask = ParseNumber(value, 0xFFFFFFFF);
                } else if (name == "FileFlags") {
                    f.FileFlags = ParseNumber(value, 0xFFFFFFFF);
                } else if (name == "FileOS") {
                    f.FileOS = ParseNumber(value, 0xFFFFFFFF);
                } else if (name == "FileType") {
                    f.FileType = ParseNumber(value, 0xFFFFFFFF);
                } else if (name == "FileSubtype") {
                    f.FileSubtype = ParseNumber(value, 0xFFFFFFFF);
                } else {
                    throw TFailure("unknown fixed value " + name);
                }
            } else if (section == "Translation") {
                if (name == "Language") {
                    d.Language = static_cast<std::uint16_t>(ParseNumber(value, 0xFFFF));
                    haveTranslation[0] = true;
                } else if (name == "CodePage") {
                    d.CodePage = static_cast<std::uint16_t>(ParseNumber(value, 0xFFFF));
                    haveTranslation[1] = true;
                } else {
                    throw TFailure("unknown translation value " + name);
                }
            } else if (section == "Strings") {
                if (name.empty()) {
                    throw TFailure("empty key");
                }
                for (const auto& [key, v] : d.Strings) {
                    if (key == name) {
                        throw TFailure("key given twice: " + name);
                    }
                }
                d.Strings.emplace_back(name, value);
            } else {
                throw TFailure("value outside a section");
            }
        } catch (const TFailure& e) {
            throw TFailure("line " + std::to_string(number) + ": " + e.what());
        }
    }
    if (!haveTranslation[0] || !haveTranslation[1]) {
        throw TFailure("[Translation] needs Language and CodePage");
    }
    return d;
}

// Strict: a description with malformed UTF-8 is an error, not a guess.
std::u16string Utf8ToUtf16(const std::string& s)
{
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size()) {
            throw TFailure("malformed UTF-8 in \"" + s + "\"");
        }
        char32_t c = extra == 0 ? b : (b & (0x3F >> extra));
        for (int k = 1; k <= extra; ++k) {
            const auto n = static_cast<unsigned char>(s[i + k]);
            if ((n & 0xC0) != 0x80) {
                throw TFailure("malformed UTF-8 in \"" + s + "\"");
            }
            c = (c << 6) | (n & 0x3F);
        }
        static const char32_t minimum[] = { 0, 0x80, 0x800, 0x10000 };
        if (c < minimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            throw TFailure("malformed UTF-8 in \"" + s + "\"");
        }
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string Hex4(std::uint16_t v)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04X", static_cast<unsigned>(v));
    return buffer;
}

// The block, laid out as resource compilers do: each node is wLength,
// wValueLength, wType, the NUL-terminated UTF-16 key, padding to 32 bits,
// the value, then its children, each child starting on a 32-bit boundary.
// A node's length ends with its last byte, without trailing padding.
class TBlockWriter {
public:
    std::vector<std::uint8_t> Bytes;

    std::size_t Begin(const std::u16string& key, std::uint16_t type)
    {
        Align();
        const std::size_t start = Bytes.size();
        Put16(0); // wLength, patched by End
        Put16(0); // wValueLength, patched by Value
        Put16(type);
        for (char16_t c : key) {
            Put16(c);
        }
        Put16(0);
        Align();
        return start;
    }

    void BinaryValue(std::size_t node, const std::vector<std::uint8_t>& value)
    {
        Patch16(node + 2, static_cast<std::uint16_t>(value.size()));
        Bytes.insert(Bytes.end(), value.begin(), value.end());
    }

    void TextValue(std::size_t node, const std::u16string& text)
    {
        Patch16(node + 2, static_cast<std::uint16_t>(text.size() + 1)); // counts the NUL
        for (char16_t c : text) {
            Put16(c);
        }
        Put16(0);
    }

    void End(std::size_t node)
    {
        const std::size_t length = Bytes.size() - node;
        if (length > 0xFFFF) {
            throw TFailure("version block larger than 64 KiB");
        }
        Patch16(node, static_cast<std::uint16_t>(length));
    }

    void Put16(std::uint32_t v)
    {
        Bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
        Bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    }

    void Put32(std::uint32_t v)
    {
        Put16(v & 0xFFFF);
        Put16(v >> 16);
    }

private:
    void Align()
    {
        while (Bytes.size() % 4 != 0) {
            Bytes.push_back(0);
        }
    }

    void Patch16(std::size_t at, std::uint16_t v)
    {
        Bytes[at] = static_cast<std::uint8_t>(v & 0xFF);
        Bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
};

std::vector<std::uint8_t> BuildBlock(const TDescription& d)
{
    TBlockWriter w;
    const std::size_t root = w.Begin(u"VS_VERSION_INFO", 0);
    {
        TBlockWriter fixed;
        const TFixed& f = d.Fixed;
        fixed.Put32(0xFEEF04BD); // dwSignature
        fixed.Put32(0x00010000); // dwStrucVersion
        fixed.Put32((std::uint32_t(f.FileVersion[0]) << 16) | f.FileVersion[1]);
        fixed.Put32((std::uint32_t(f.FileVersion[2]) << 16) | f.FileVersion[3]);
        fixed.Put32((std::uint32_t(f.ProductVersion[0]) << 16) | f.ProductVersion[1]);
        fixed.Put32((std::uint32_t(f.ProductVersion[2]) << 16) | f.ProductVersion[3]);
        fixed.Put32(f.FileFlagsMask);
        fixed.Put32(f.FileFlags);
        fixed.Put32(f.FileOS);
        fixed.Put32(f.FileType);
        fixed.Put32(f.FileSubtype);
        fixed.Put32(0); // dwFileDateMS
        fixed.Put32(0); // dwFileDateLS
        w.BinaryValue(root, fixed.Bytes);
    }
    const std::size_t stringInfo = w.Begin(u"StringFileInfo", 1);
    const std::size_t table = w.Begin(Utf8ToUtf16(Hex4(d.Language) + Hex4(d.CodePage)), 1);
    for (const auto& [key, value] : d.Strings) {
        const std::size_t node = w.Begin(Utf8ToUtf16(key), 1);
        w.TextValue(node, Utf8ToUtf16(value));
        w.End(node);
    }
    w.End(table);
    w.End(stringInfo);
    const std::size_t varInfo = w.Begin(u"VarFileInfo", 1);
    const std::size_t var = w.Begin(u"Translation", 0);
    w.BinaryValue(var,
        { static_cast<std::uint8_t>(d.Language & 0xFF), static_cast<std::uint8_t>(d.Language >> 8),
            static_cast<std::uint8_t>(d.CodePage & 0xFF), static_cast<std::uint8_t>(d.CodePage >> 8) });
    w.End(var);
    w.End(varInfo);
    w.End(root);
    return w.Bytes;
}

// A resource-script string: UTF-8 (the script declares code page 65001),
// with the compiler's two escapes.
std::string RcString(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n' || c == '\r' || c == '\t') {
            throw TFailure("control character in a value");
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Hex32(std::uint32_t v)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(v));
    return buffer;
}

std::string Version(const std::uint16_t (&v)[4])
{
    return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]) + ","
        + std::to_string(v[3]);
}

std::string MakeRc(const TDescription& d, const std::string& source)
{
    const TFixed& f = d.Fixed;
    std::ostringstream rc;
    rc << "// Generated by ft_versiongen from " << source << "; do not edit.\n"
       << "#pragma code_page(65001)\n\n"
       << "1 VERSIONINFO\n"
       << "FILEVERSION " << Version(f.FileVersion) << "\n"
       << "PRODUCTVERSION " << Version(f.ProductVersion) << "\n"
       << "FILEFLAGSMASK " << Hex32(f.FileFlagsMask) << "\n"
       << "FILEFLAGS " << Hex32(f.FileFlags) << "\n"
       << "FILEOS " << Hex32(f.FileOS) << "\n"
       << "FILETYPE " << Hex32(f.FileType) << "\n"
       << "FILESUBTYPE " << Hex32(f.FileSubtype) << "\n"
       << "BEGIN\n"
       << "    BLOCK \"StringFileInfo\"\n"
       << "    BEGIN\n"
       << "        BLOCK \"" << Hex4(d.Language) << Hex4(d.CodePage) << "\"\n"
       << "        BEGIN\n";
    for (const auto& [key, value] : d.Strings) {
        rc << "            VALUE " << RcString(key) << ", " << RcString(value) << "\n";
    }
    rc << "        END\n"
       << "    END\n"
       << "    BLOCK \"VarFileInfo\"\n"
       << "    BEGIN\n"
       << "        VALUE \"Translation\", 0x" << Hex4(d.Language) << ", " << d.CodePage << "\n"
       << "    END\n"
       << "END\n";
    return rc.str();
}

std::string MakeCpp(const std::vector<std::uint8_t>& block, const std::string& source,
    const std::string& section)
{
    std::ostringstream cpp;
    cpp << "// Generated by ft_versiongen from " << source << "; do not edit.\n"
        << "// The program's VS_VERSIONINFO block; the version functions read it\n"
        << "// from the section \"" << section << "\" of the executable file.\n\n"
        << "namespace {\n\n"
        << "[[gnu::used, gnu::section(\"" << section << "\")]] alignas(4)\n"
        << "const unsigned char VersionBlock[" << block.size() << "] = {";
    for (std::size_t i = 0; i < block.size(); ++i) {
        cpp << (i % 12 == 0 ? "\n    " : " ");
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "0x%02X,", block[i]);
        cpp << buffer;
    }
    cpp << "\n};\n\n} // namespace\n";
    return cpp.str();
}

// Writes only when the text changed, so unchanged outputs rebuild nothing.
void WriteFile(const std::string& path, const std::string& text)
{
    {
        std::ifstream old(path, std::ios::binary);
        if (old) {
            std::ostringstream current;
            current << old.rdbuf();
            if (current.str() == text) {
                return;
            }
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        throw TFailure("cannot write " + path);
    }
}

std::string BaseName(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::cerr << "usage: ft_versiongen DESCRIPTION OUT.rc OUT.cpp SECTION\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in) {
            throw TFailure("cannot read the description");
        }
        const TDescription description = Parse(in);
        const std::string source = BaseName(argv[1]);
        WriteFile(argv[2], MakeRc(description, source));
        WriteFile(argv[3], MakeCpp(BuildBlock(description), source, argv[4]));
    } catch (const std::exception& e) {
        std::cerr << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
