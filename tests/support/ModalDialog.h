#pragma once

#include <functional>
#include <string_view>
#include <utility>
#include <windows.h>

namespace tunecrate::test {

// Answers the next system dialog (window class #32770) that this thread shows,
// the way a user would: a thread timer finds it while its modal loop runs and
// hands it to the answer, which for example fills a box and presses OK.
class ModalDialogAnswer {
public:
    explicit ModalDialogAnswer(std::function<void(HWND dialog)> answer)
    {
        pending() = std::move(answer);
        timer_ = SetTimer(nullptr, 0, 50, &ModalDialogAnswer::onTimer);
    }
    ~ModalDialogAnswer()
    {
        KillTimer(nullptr, timer_);
        pending() = nullptr;
    }
    ModalDialogAnswer(const ModalDialogAnswer&) = delete;
    ModalDialogAnswer& operator=(const ModalDialogAnswer&) = delete;

    [[nodiscard]] static bool answered() { return !pending(); }

private:
    static std::function<void(HWND)>& pending()
    {
        static std::function<void(HWND)> answer;
        return answer;
    }

    static BOOL CALLBACK findDialog(HWND window, LPARAM found)
    {
        wchar_t className[16]{};
        GetClassNameW(window, className, 16);
        if (IsWindowVisible(window) && std::wstring_view(className) == L"#32770") {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        if (!pending()) {
            return;
        }
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &findDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog != nullptr) {
            std::exchange(pending(), nullptr)(dialog);
        }
    }

    UINT_PTR timer_ = 0;
};

} // namespace tunecrate::test
