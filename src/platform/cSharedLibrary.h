#pragma once
// cSharedLibrary: a library loaded while the program runs, by its name (its soname), and its
// functions looked up by name, for the readers and writers whose library a program may lack
// (libmsi, libXcursor): without it, only what needs it fails, with the loader's words. The
// library stays loaded for the rest of the run.

#include <string>
#include <type_traits>

#include <dlfcn.h>

class cSharedLibrary {
public:
    explicit cSharedLibrary(const char* name) : name_(name), handle_(::dlopen(name, RTLD_NOW | RTLD_LOCAL)) {
        if (handle_) return;
        const char* why = ::dlerror();
        error_ = why ? why : name_ + " cannot be loaded";
    }

    // Sets `function` to the library's function `name`; null, and named in Error, where it
    // lacks one.
    template <typename tFunction>
    void Get(tFunction& function, const char* name) {
        function = handle_ ? reinterpret_cast<std::remove_reference_t<tFunction>>(::dlsym(handle_, name)) : nullptr;
        if (!function && handle_) missing_ += std::string(missing_.empty() ? "" : ", ") + name;
    }

    // "" when the library is loaded with every function asked for; else the loader's words, or
    // "NAME lacks F, G".
    std::string Error() const { return !error_.empty() || missing_.empty() ? error_ : name_ + " lacks " + missing_; }

private:
    std::string name_;
    void* handle_;
    std::string error_;
    std::string missing_;
};
