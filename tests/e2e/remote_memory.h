// Memory inside the program's process for the few window messages whose pointer arguments Wine
// (and Windows) do not carry across processes: list-view item rectangles and states, hit tests
// and the folder picker's selection. Knows nothing of the program's controls.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "e2e/e2e_headers.h"

namespace hivewarden::e2e {

// A block of read-write memory in another process, freed on destruction.
class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, std::size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ready() const { return address_ != nullptr; }
    // The block's address as the other process sees it, for a message's wParam or lParam.
    LPARAM Address(std::size_t offset = 0) const;
    bool Write(const void* data, std::size_t size, std::size_t offset = 0);
    bool Read(void* data, std::size_t size, std::size_t offset = 0) const;

  private:
    HANDLE process_;
    void* address_ = nullptr;
    std::size_t size_;
};

// Sends `message` to `window` with `data` (of `size` bytes) copied into the window's process as
// lParam, and copies it back afterwards; nullopt when the message could not be sent.
std::optional<LRESULT> SendWithRemote(HANDLE process, HWND window, UINT message, WPARAM wParam,
                                      void* data, std::size_t size);
// Sends `message` with a zero-terminated UTF-16 copy of `text` (UTF-8) in the window's process
// as lParam: for the wide messages (BFFM_SETSELECTIONW).
std::optional<LRESULT> SendRemoteText(HANDLE process, HWND window, UINT message, WPARAM wParam,
                                      const std::string& text);

}  // namespace hivewarden::e2e
