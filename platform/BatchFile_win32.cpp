#include "platform/BatchFile.h"

#include "platform/WinApi_win32.h"

#include <climits>

#include "core/Exception.h"
#include "core/MessageText.h"
#include "platform/SystemError.h"

namespace platform {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

[[noreturn]] void ThrowCreateError(const std::u16string& path, DWORD error)
{
    throw Exception(BatchFileCreateErrorText(path, TrimSystemErrorText(SystemErrorText(error))));
}

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring Hex(DWORD value)
{
    static constexpr wchar_t Digits[] = L"0123456789abcdef";
    std::wstring out(8, L'0');
    for (int i = 7; i >= 0; --i, value >>= 4) {
        out[static_cast<std::size_t>(i)] = Digits[value & 0xF];
    }
    return out;
}

// The new file lives in the target's folder, so the move never crosses a
// volume; a drive-relative "C:name" keeps its "C:".
std::wstring TempPathBeside(const std::wstring& target, DWORD attempt)
{
    const std::size_t cut = target.find_last_of(L"\\/:");
    std::wstring temp = cut == std::wstring::npos ? std::wstring() : target.substr(0, cut + 1);
    temp += L"~batchfile-" + Hex(::GetCurrentProcessId()) + Hex(::GetTickCount() + attempt) + L".tmp";
    return temp;
}

class TTempFile {
public:
    TTempFile() = default;
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile()
    {
        if (FHandle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(FHandle);
        }
        if (!FPath.empty()) {
            ::DeleteFileW(FPath.c_str());
        }
    }

    // ERROR_SUCCESS, or the error of the last attempt.
    DWORD Create(const std::wstring& target)
    {
        for (DWORD attempt = 0; attempt < 100; ++attempt) {
            std::wstring path = TempPathBeside(target, attempt);
            FHandle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                FILE_ATTRIBUTE_NORMAL, nullptr);
            if (FHandle != INVALID_HANDLE_VALUE) {
                FPath = std::move(path);
                return ERROR_SUCCESS;
            }
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                return error;
            }
        }
        return ERROR_FILE_EXISTS;
    }

    DWORD Write(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const std::size_t rest = bytes.size() - done;
            const DWORD chunk = rest > 0x10000000 ? 0x10000000 : static_cast<DWORD>(rest);
            DWORD written = 0;
            if (!::WriteFile(FHandle, bytes.data() + done, chunk, &written, nullptr)) {
                return ::GetLastError();
            }
            if (written == 0) {
                return ERROR_WRITE_FAULT;
            }
            done += written;
        }
        if (!::FlushFileBuffers(FHandle)) {
            return ::GetLastError();
        }
        const HANDLE handle = FHandle;
        FHandle = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) ? ERROR_SUCCESS : ::GetLastError();
    }

    DWORD MoveTo(const std::wstring& target)
    {
        if (!::MoveFileExW(FPath.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return ::GetLastError();
        }
        FPath.clear();
        return ERROR_SUCCESS;
    }

private:
    HANDLE FHandle = INVALID_HANDLE_VALUE;
    std::wstring FPath;
};

// ERROR_SUCCESS with the bytes, or the conversion's error.
DWORD Encode(const std::u16string& text, std::string& bytes)
{
    bytes.clear();
    if (text.empty()) {
        return ERROR_SUCCESS;
    }
    if (text.size() > static_cast<std::size_t>(INT_MAX)) {
        return ERROR_ARITHMETIC_OVERFLOW;
    }
    const UINT codePage = ::GetACP();
    // The UTF-8 code page rejects WC_NO_BEST_FIT_CHARS (and has no best fit).
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const std::wstring wide = Wide(text);
    const int length = static_cast<int>(wide.size());
    // No default character given: the code page's own one is used.
    const int size = ::WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return ::GetLastError();
    }
    bytes.resize(static_cast<std::size_t>(size));
    if (::WideCharToMultiByte(codePage, flags, wide.data(), length, bytes.data(), size, nullptr, nullptr) != size) {
        const DWORD error = ::GetLastError();
        bytes.clear();
        return error == ERROR_SUCCESS ? ERROR_INVALID_DATA : error;
    }
    return ERROR_SUCCESS;
}

} // namespace

TScriptFormat BatchScriptFormat() noexcept { return TScriptFormat::WindowsBatch; }

std::u16string BatchFileDefaultSuffix() { return u".BAT"; }

std::u16string BatchFileFilter() { return u"バッチファイル(*.BAT)|*.BAT|すべてのファイル(*.*)|*.*"; }

std::string EncodeBatchText(const std::u16string& text)
{
    std::string bytes;
    Encode(text, bytes);
    return bytes;
}

void WriteBatchFile(const std::u16string& path, const std::u16string& text)
{
    std::string bytes;
    DWORD error = Encode(text, bytes);
    const std::wstring target = Wide(path);
    TTempFile temp;
    if (error == ERROR_SUCCESS) {
        error = temp.Create(target);
    }
    if (error == ERROR_SUCCESS) {
        error = temp.Write(bytes);
    }
    if (error == ERROR_SUCCESS) {
        error = temp.MoveTo(target);
    }
    if (error != ERROR_SUCCESS) {
        ThrowCreateError(path, error);
    }
}

} // namespace platform
