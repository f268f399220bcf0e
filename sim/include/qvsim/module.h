// module.h: loads a built module by path and resolves its six entry points.
#ifndef QVSIM_MODULE_H
#define QVSIM_MODULE_H

#include <string>

#include "host_abi.h"

namespace qvsim {

class Module {
public:
    Module() = default;
    ~Module();
    Module(const Module &) = delete;
    Module &operator=(const Module &) = delete;

    // Loads the file; on failure returns false and error() names the file
    // and the loader's reason, or the missing export.  Every load starts
    // the module from its freshly loaded state: if the file is still mapped
    // (another Module holds it, or it cannot be unmapped), a private copy is
    // loaded instead.  A load while loaded unloads first.
    bool load(const std::string &path);
    void unload();
    bool loaded() const { return handle_ != nullptr; }
    const std::string &error() const { return error_; }
    const std::string &path() const { return path_; }
    // The file actually mapped: path() or the private copy.
    const std::string &loadedFrom() const { return loadedFrom_; }

    PlgGiveFuncsFn giveFuncs = nullptr;
    PlgGameDLLInitFn gameDLLInit = nullptr;
    PlgMapInitFn mapInit = nullptr;
    PlgThinkFn think = nullptr;
    PlgClientConnectFn clientConnect = nullptr;
    PlgClientCommandFn clientCommand = nullptr;

private:
    void *handle_ = nullptr;
    std::string error_;
    std::string path_;
    std::string loadedFrom_;
};

}  // namespace qvsim

#endif
