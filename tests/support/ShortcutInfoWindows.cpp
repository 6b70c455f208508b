// kelmi-shortcut-info LINK: prints the program a Windows shortcut (.lnk) starts and the
// working folder it starts it in, one per line, as Windows itself reads them. The package
// check uses it on the installer's Start-menu shortcut.
#include <cstdio>
#include <shlobj.h>
#include <windows.h>

int wmain(int argc, wchar_t *argv[])
{
    if (argc != 2) {
        std::fputs("usage: kelmi-shortcut-info LINK\n", stderr);
        return 2;
    }
    if (FAILED(::CoInitialize(nullptr))) {
        return 1;
    }
    IShellLinkW *link = nullptr;
    IPersistFile *file = nullptr;
    wchar_t target[MAX_PATH] = {};
    wchar_t folder[MAX_PATH] = {};
    const bool read
        = SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkW, reinterpret_cast<void **>(&link)))
        && SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))
        && SUCCEEDED(file->Load(argv[1], STGM_READ))
        && SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0))
        && SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
    if (read) {
        char line[4 * MAX_PATH];
        const wchar_t *const texts[] = {target, folder};
        for (const wchar_t *text : texts) {
            ::WideCharToMultiByte(CP_UTF8, 0, text, -1, line, sizeof line, nullptr, nullptr);
            std::printf("%s\n", line);
        }
    }
    if (file) {
        file->Release();
    }
    if (link) {
        link->Release();
    }
    ::CoUninitialize();
    return read ? 0 : 1;
}
