// module.cpp: loads a built module with the system loader and finds its six entry points.
#include "qvsim/module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace qvsim {

namespace {

std::string loaderReason() {
    const char *why = dlerror();
    return why ? why : "unknown reason";
}

// A path without a slash would make the loader search the library path.
std::string asFilePath(const std::string &path) {
    return path.find('/') == std::string::npos ? "./" + path : path;
}

// True when the file is already mapped into the process, so loading it
// again would hand back the old instance and its state.
bool stillMapped(const std::string &file) {
    void *h = dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD);
    if (h == nullptr) return false;
    dlclose(h);
    return true;
}

// Copies the file to a new name in the temporary directory; returns the
// copy's path, or "" with `why` set.
std::string privateCopy(const std::string &file, std::string &why) {
    std::string name = (std::filesystem::temp_directory_path() / "qvsim-module-XXXXXX").string();
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        why = std::strerror(errno);
        return "";
    }
    close(fd);
    std::error_code ec;
    std::filesystem::copy_file(file, name, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        why = ec.message();
        std::filesystem::remove(name, ec);
        return "";
    }
    return name;
}

// dlsym hands back data pointers; the exports are functions.
template <typename Fn>
Fn resolve(void *handle, const char *name) {
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

}  // namespace

Module::~Module() { unload(); }

bool Module::load(const std::string &path) {
    unload();
    error_.clear();
    path_ = path;
    std::string file = asFilePath(path);

    bool copied = false;
    if (stillMapped(file)) {
        std::string why;
        std::string copy = privateCopy(file, why);
        if (copy.empty()) {
            error_ = "cannot copy module " + path + " for a fresh load: " + why;
            return false;
        }
        file = copy;
        copied = true;
    }

    dlerror();
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    // The mapping outlives the name, so a copy is removed at once.
    if (copied) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
    }
    if (handle_ == nullptr) {
        error_ = "cannot load module " + path + ": " + loaderReason();
        return false;
    }
    loadedFrom_ = file;

    struct Export {
        const char *name;
        bool found;
    };
    giveFuncs = resolve<PlgGiveFuncsFn>(handle_, QV_EXPORT_DFGiveFuncs);
    gameDLLInit = resolve<PlgGameDLLInitFn>(handle_, QV_EXPORT_GameDLLInit);
    mapInit = resolve<PlgMapInitFn>(handle_, QV_EXPORT_MapInit);
    think = resolve<PlgThinkFn>(handle_, QV_EXPORT_Think);
    clientConnect = resolve<PlgClientConnectFn>(handle_, QV_EXPORT_ClientConnect);
    clientCommand = resolve<PlgClientCommandFn>(handle_, QV_EXPORT_ClientCommand);
    const Export exports[] = {
        {QV_EXPORT_DFGiveFuncs, giveFuncs != nullptr}, {QV_EXPORT_GameDLLInit, gameDLLInit != nullptr},
        {QV_EXPORT_MapInit, mapInit != nullptr},       {QV_EXPORT_Think, think != nullptr},
        {QV_EXPORT_ClientConnect, clientConnect != nullptr}, {QV_EXPORT_ClientCommand, clientCommand != nullptr},
    };
    for (const Export &e : exports) {
        if (!e.found) {
            std::string missing = "module " + path + " has no export " + e.name;
            unload();
            error_ = std::move(missing);
            return false;
        }
    }
    return true;
}

void Module::unload() {
    giveFuncs = nullptr;
    gameDLLInit = nullptr;
    mapInit = nullptr;
    think = nullptr;
    clientConnect = nullptr;
    clientCommand = nullptr;
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = nullptr;
    loadedFrom_.clear();
}

}  // namespace qvsim
