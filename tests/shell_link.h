// Shortcuts made and saved by the shell itself (IShellLinkW, IPersistFile), as an installer
// makes them. The caller has initialised COM.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <string>

namespace test_links {

const GUID kShellLink = {0x00021401, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kShellLinkW = {0x000214f9, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kPersistFile = {0x0000010b, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};

// Saves a shortcut at `file` to `target` with `arguments` and start folder `folder`; the
// result of the save.
inline HRESULT SaveShortcut(const std::wstring& file, const std::wstring& target,
                            const std::wstring& arguments, const std::wstring& folder) {
    IShellLinkW* link = nullptr;
    HRESULT result = CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER, kShellLinkW,
                                      reinterpret_cast<void**>(&link));
    if (FAILED(result)) {
        return result;
    }
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    link->SetWorkingDirectory(folder.c_str());
    IPersistFile* persist = nullptr;
    result = link->QueryInterface(kPersistFile, reinterpret_cast<void**>(&persist));
    if (SUCCEEDED(result)) {
        result = persist->Save(file.c_str(), TRUE);
        persist->Release();
    }
    link->Release();
    return result;
}

}  // namespace test_links
