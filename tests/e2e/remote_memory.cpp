// Memory in the program's process and messages that point into it.
#include "e2e/remote_memory.h"

#include "e2e/utf8_text.h"
#include "e2e/window_tools.h"

namespace hivewarden::e2e {

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t size) : process_(process), size_(size) {
    address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

LPARAM RemoteBuffer::Address(std::size_t offset) const {
    return reinterpret_cast<LPARAM>(static_cast<char*>(address_) + offset);
}

bool RemoteBuffer::Write(const void* data, std::size_t size, std::size_t offset) {
    SIZE_T written = 0;
    return address_ != nullptr && offset + size <= size_ &&
           WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size,
                              &written) &&
           written == size;
}

bool RemoteBuffer::Read(void* data, std::size_t size, std::size_t offset) const {
    SIZE_T read = 0;
    return address_ != nullptr && offset + size <= size_ &&
           ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &read) &&
           read == size;
}

std::optional<LRESULT> SendWithRemote(HANDLE process, HWND window, UINT message, WPARAM wParam,
                                      void* data, std::size_t size) {
    RemoteBuffer buffer(process, size);
    if (!buffer.Write(data, size)) return std::nullopt;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, buffer.Address(), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &result) ||
        !buffer.Read(data, size)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

std::optional<LRESULT> SendRemoteText(HANDLE process, HWND window, UINT message, WPARAM wParam,
                                      const std::string& text) {
    const std::wstring wide = Wide(text);
    const std::size_t size = (wide.size() + 1) * sizeof(wchar_t);
    RemoteBuffer buffer(process, size);
    if (!buffer.Write(wide.c_str(), size)) return std::nullopt;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, buffer.Address(), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

}  // namespace hivewarden::e2e
