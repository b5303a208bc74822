#include "media/library_preload.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string_view>
#include <vector>

namespace
{

// An open file descriptor that closes itself.
class File
{
public:
    explicit File(const std::string &path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    bool isOpen() const { return fd_ >= 0; }

    template <typename T> bool read(off_t offset, T *out, size_t count = 1) const
    {
        const auto size = static_cast<ssize_t>(sizeof(T) * count);
        return ::pread(fd_, out, size_t(size), offset) == size;
    }

private:
    int fd_;
};

// The file offset of a virtual address, through the loadable segments.
bool fileOffset(const std::vector<ElfW(Phdr)> &segments, ElfW(Addr) address, off_t *offset)
{
    for (const ElfW(Phdr) & segment : segments) {
        if (segment.p_type == PT_LOAD && address >= segment.p_vaddr &&
            address < segment.p_vaddr + segment.p_filesz) {
            *offset = off_t(address - segment.p_vaddr + segment.p_offset);
            return true;
        }
    }
    return false;
}

// The DT_NEEDED names of an ELF shared object of this process's class.
std::vector<std::string> neededLibraries(const std::string &path)
{
    const File file(path);
    ElfW(Ehdr) header;
    if (!file.isOpen() || !file.read(0, &header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != (sizeof(void *) == 8 ? ELFCLASS64 : ELFCLASS32) ||
        header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_phnum == 0)
        return {};

    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    if (!file.read(off_t(header.e_phoff), segments.data(), segments.size()))
        return {};

    std::vector<ElfW(Dyn)> dynamic;
    for (const ElfW(Phdr) & segment : segments) {
        if (segment.p_type != PT_DYNAMIC)
            continue;
        dynamic.resize(segment.p_filesz / sizeof(ElfW(Dyn)));
        if (!file.read(off_t(segment.p_offset), dynamic.data(), dynamic.size()))
            return {};
    }

    ElfW(Addr) strtab = 0;
    size_t strsz = 0;
    std::vector<size_t> names;
    for (const ElfW(Dyn) & entry : dynamic) {
        if (entry.d_tag == DT_STRTAB)
            strtab = entry.d_un.d_ptr;
        else if (entry.d_tag == DT_STRSZ)
            strsz = entry.d_un.d_val;
        else if (entry.d_tag == DT_NEEDED)
            names.push_back(entry.d_un.d_val);
    }
    off_t strtabOffset = 0;
    if (names.empty() || strsz == 0 || !fileOffset(segments, strtab, &strtabOffset))
        return {};
    std::vector<char> strings(strsz);
    if (!file.read(strtabOffset, strings.data(), strings.size()))
        return {};

    std::vector<std::string> needed;
    for (size_t name : names) {
        if (name >= strings.size())
            continue;
        const char *begin = strings.data() + name;
        needed.emplace_back(begin, strnlen(begin, strings.size() - name));
    }
    return needed;
}

// Where the dynamic loader looks: LD_LIBRARY_PATH, the folders of the
// libraries already loaded (the system's library folders, in practice), and
// the usual folders.
std::vector<std::string> searchFolders()
{
    std::vector<std::string> folders;
    auto add = [&folders](std::string_view folder) {
        if (folder.empty())
            return;
        std::string text(folder);
        for (const std::string &known : folders) {
            if (known == text)
                return;
        }
        folders.push_back(std::move(text));
    };
    if (const char *env = std::getenv("LD_LIBRARY_PATH")) {
        std::string_view rest(env);
        while (!rest.empty()) {
            const size_t colon = rest.find(':');
            add(rest.substr(0, colon));
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *data) {
            const std::string_view name(info->dlpi_name ? info->dlpi_name : "");
            const size_t slash = name.rfind('/');
            if (slash != std::string_view::npos && slash > 0)
                (*static_cast<decltype(add) *>(data))(name.substr(0, slash));
            return 0;
        },
        &add);
    for (const char *folder : {"/lib", "/usr/lib", "/lib64", "/usr/lib64"})
        add(folder);
    return folders;
}

class Preloader
{
public:
    Preloader() : folders_(searchFolders()) {}

    // Depth first, so that a library is loaded once all it needs is.
    void loadDependencies(const std::string &soname)
    {
        if (!seen_.insert(soname).second)
            return;
        const std::string path = locate(soname);
        if (path.empty())
            return;
        for (const std::string &dependency : neededLibraries(path)) {
            loadDependencies(dependency);
            load(dependency);
        }
    }

private:
    // By name, so that the loader makes its own choice of file.  Never
    // closed: the library that needs it will take it over right after.  A
    // failure (a library relying on symbols its siblings bring) is left to
    // that loading too.  Lazily bound, as at a program's start: functions
    // that are never called are never looked up.
    void load(const std::string &soname)
    {
        if (loaded_.insert(soname).second)
            dlopen(soname.c_str(), RTLD_LAZY | RTLD_LOCAL);
    }

    std::string locate(const std::string &soname) const
    {
        if (soname.find('/') != std::string::npos)
            return soname;
        for (const std::string &folder : folders_) {
            std::string candidate = folder + '/' + soname;
            if (::access(candidate.c_str(), R_OK) == 0)
                return candidate;
        }
        return {};
    }

    std::vector<std::string> folders_;
    std::set<std::string> seen_;
    std::set<std::string> loaded_;
};

} // namespace

void library_preload::loadDependencies(const std::string &soname)
{
    Preloader().loadDependencies(soname);
}
