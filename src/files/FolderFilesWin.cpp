// The files of one folder by name, Windows: a name whose entry is a link (a reparse point) or no
// regular file is refused before it is opened; a file is replaced by ReplaceFileContents.
#include <fstream>
#include <iterator>
#include <system_error>

#include "files/FileContents.h"
#include "files/FolderFiles.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;

FolderFiles::Status Check(const fs::path& path) {
    std::error_code code;
    const fs::file_status status = fs::symlink_status(path, code);
    if (code || status.type() == fs::file_type::not_found) return FolderFiles::Status::Missing;
    return status.type() == fs::file_type::regular ? FolderFiles::Status::Done
                                                   : FolderFiles::Status::NotRegular;
}

}  // namespace

FolderFiles::FolderFiles(std::filesystem::path folder) : m_folder(std::move(folder)) {
    std::error_code code;
    fs::create_directories(m_folder, code);
    m_open = fs::is_directory(m_folder, code);
    if (!m_open) m_problem = m_folder.string() + ": " + code.message();
}

FolderFiles::~FolderFiles() = default;

bool FolderFiles::IsOpen() const {
    return m_open;
}

FolderFiles::Status FolderFiles::Append(const std::string& name, std::string_view text) {
    if (!m_open) return Status::Failed;
    const fs::path path = m_folder / name;
    const Status status = Check(path);
    if (status == Status::NotRegular) return status;
    std::string whole;
    if (status == Status::Done) {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        if (in && in.tellg() > 0) {
            in.seekg(-1, std::ios::end);
            char last = '\n';
            in.get(last);
            if (last != '\n') whole = "\n";
        }
    }
    whole.append(text);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(whole.data(), static_cast<std::streamsize>(whole.size()));
    out.flush();
    if (!out) {
        m_problem = "cannot be written";
        return Status::Failed;
    }
    return Status::Done;
}

FolderFiles::Status FolderFiles::Read(const std::string& name, std::string& text, std::size_t limit) {
    text.clear();
    if (!m_open) return Status::Failed;
    const fs::path path = m_folder / name;
    if (const Status status = Check(path); status != Status::Done) return status;
    std::error_code code;
    if (fs::file_size(path, code) > limit) return Status::TooLarge;
    std::ifstream in(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? Status::Failed : Status::Done;
}

std::optional<std::uint64_t> FolderFiles::Size(const std::string& name) {
    if (!m_open || Check(m_folder / name) != Status::Done) return std::nullopt;
    std::error_code code;
    const auto size = fs::file_size(m_folder / name, code);
    if (code) return std::nullopt;
    return size;
}

bool FolderFiles::Exists(const std::string& name) {
    return m_open && Check(m_folder / name) != Status::Missing;
}

FolderFiles::Status FolderFiles::Replace(const std::string& name, std::string_view text) {
    if (!m_open) return Status::Failed;
    const fs::path path = m_folder / name;
    // A link at the name is refused; a file is replaced the house's one safe way (ReplaceFileW).
    if (Check(path) == Status::NotRegular) return Status::NotRegular;
    if (!ReplaceFileContents(path,
                             std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))) {
        m_problem = "cannot be replaced";
        return Status::Failed;
    }
    return Status::Done;
}

void FolderFiles::Remove(const std::string& name) {
    std::error_code ignored;
    if (m_open) fs::remove(m_folder / name, ignored);
}

std::unique_ptr<FileLock> FolderFiles::Lock(const std::string& name, std::chrono::milliseconds wait) {
    return std::make_unique<FileLock>(m_folder / name, FileLockOptions{.wait = wait, .regularOnly = true});
}

}  // namespace qvset
