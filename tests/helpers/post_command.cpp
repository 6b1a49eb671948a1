// Posts WM_COMMAND with the identifier given as its argument to the running Zantrel
// window, as its menus do: "post_command 2003" opens the About box. For scripts that
// show the program's windows (scripts/screenshot.sh). Ends with 1 when no Zantrel runs.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    HWND window = FindWindowA("Zantrel", nullptr);
    if (argc < 2 || window == nullptr) {
        return 1;
    }
    return PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[1])), 0) ? 0 : 1;
}
