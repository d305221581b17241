#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Reads an executable's version information once and hands out its string
// values by item index: 0 Comments, 1 CompanyName, 2 FileDescription,
// 3 FileVersion, 4 InternalName, 5 LegalCopyright, 6 LegalTradeMarks,
// 7 OriginalFilename, 8 PrivateBuild, 9 ProductName, 10 ProductVersion;
// 11 and above the empty key.
class QvAppInfo {
public:
    // The running executable.
    QvAppInfo();
    // Throws Exception("バージョン情報を取得できません") when the file has no
    // readable version information.
    explicit QvAppInfo(const std::u16string& executablePath);
    ~QvAppInfo();

    QvAppInfo(const QvAppInfo&) = delete;
    QvAppInfo& operator=(const QvAppInfo&) = delete;

    // The value for the index in the first translation's string table; empty
    // when the table lacks it.
    std::u16string GetInfo(unsigned index) const;

    // "\StringFileInfo\LLLLCCCC\Key": language (low half) before code page.
    static std::u16string StringPath(std::uint32_t translation, unsigned index);

private:
    std::uint32_t FTranslation = 0;
    std::unique_ptr<std::uint8_t[]> FVersionData;
};
