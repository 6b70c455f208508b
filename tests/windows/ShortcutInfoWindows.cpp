// kelmi-shortcut-info LINK: prints the file a Windows shortcut (.lnk) opens and the working
// folder it opens it in, one per line, as Windows itself reads them. The package check uses
// it on the installer's Start-menu shortcuts. The file is read from the link's item list,
// which the shell resolves first and which holds every name in Unicode: the path that
// GetPath gives is kept in the system's code page too, and Wine without a Japanese locale
// reads it back with 「?」 for the guide's Japanese name.
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
    PIDLIST_ABSOLUTE items = nullptr;
    wchar_t target[MAX_PATH] = {};
    wchar_t folder[MAX_PATH] = {};
    const bool read
        = SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkW, reinterpret_cast<void **>(&link)))
        && SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))
        && SUCCEEDED(file->Load(argv[1], STGM_READ)) && SUCCEEDED(link->GetIDList(&items))
        && ::SHGetPathFromIDListW(items, target)
        && SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
    if (read) {
        char line[4 * MAX_PATH];
        const wchar_t *const texts[] = {target, folder};
        for (const wchar_t *text : texts) {
            ::WideCharToMultiByte(CP_UTF8, 0, text, -1, line, sizeof line, nullptr, nullptr);
            std::printf("%s\n", line);
        }
    }
    ::CoTaskMemFree(items);
    if (file) {
        file->Release();
    }
    if (link) {
        link->Release();
    }
    ::CoUninitialize();
    return read ? 0 : 1;
}
