#include "record/RecordBook.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <system_error>

#include "files/FolderFiles.h"
#include "printer/device/DeviceAddress.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;

std::string NameOf(const fs::path& file) {
    return file.filename().string();
}

std::string LockNameOf(const fs::path& file) {
    return NameOf(file) + ".lock";
}

std::string TwoDigits(unsigned value, int width = 2) {
    std::string text = std::to_string(value);
    while (static_cast<int>(text.size()) < width) text.insert(text.begin(), '0');
    return text;
}

// The most a record file may hold to be read: far past the bound it is folded at, so that a file
// planted at its name cannot make a reader take all memory.
constexpr std::size_t kMostRecordBytes = std::size_t{256} * 1024 * 1024;

std::string StatusWords(FolderFiles::Status status, const FolderFiles& files) {
    switch (status) {
        case FolderFiles::Status::Done:
            return "done";
        case FolderFiles::Status::Missing:
            return "missing";
        case FolderFiles::Status::NotRegular:
            return "not a regular file (a link, a FIFO or a device stands at its name)";
        case FolderFiles::Status::TooLarge:
            return "too large to be read";
        case FolderFiles::Status::Failed:
            break;
    }
    return files.Problem().empty() ? std::string("cannot be written") : files.Problem();
}

// A device reached without a spooler belongs to no print server: whichever book is asked, its record is
// kept under its URI (without a serial port's line settings, which change with its baud rate) and no server.
std::pair<std::string, std::string> KeyOf(const std::string& server, std::string_view printer) {
    std::string problem;
    if (LooksLikeDeviceUri(printer)) {
        if (const auto address = ParseDeviceUri(printer, problem)) return {"", DeviceIdentity(*address)};
    }
    return {server, std::string(printer)};
}

// The file of a queue known by its lasting identity: its name holds no "@", which every file kept under
// a spelling does, so the two kinds never meet.
std::string IdentityFileName(std::string_view identity) {
    constexpr std::string_view kUuidScheme = "urn:uuid:";
    if (identity.starts_with(kUuidScheme)) identity.remove_prefix(kUuidScheme.size());
    std::string name = "queue-";
    for (const char c : identity) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '-';
        if (plain) {
            name += c;
        } else {
            constexpr char kHex[] = "0123456789ABCDEF";
            name += '%';
            name += kHex[byte >> 4];
            name += kHex[byte & 15];
        }
    }
    return name + ".jsonl";
}

}  // namespace

std::string RecordTime(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto millis = floor<milliseconds>(time);
    const auto day = floor<days>(millis);
    const year_month_day date{day};
    const hh_mm_ss clock{millis - day};
    return std::to_string(static_cast<int>(date.year())) + '-' +
           TwoDigits(static_cast<unsigned>(date.month())) + '-' +
           TwoDigits(static_cast<unsigned>(date.day())) + 'T' +
           TwoDigits(static_cast<unsigned>(clock.hours().count())) + ':' +
           TwoDigits(static_cast<unsigned>(clock.minutes().count())) + ':' +
           TwoDigits(static_cast<unsigned>(clock.seconds().count())) + '.' +
           TwoDigits(static_cast<unsigned>(clock.subseconds().count()), 3) + 'Z';
}

fs::path RecordFolder(const fs::path& stateFolder) {
    return stateFolder.empty() ? stateFolder : stateFolder / "records";
}

bool RecordTurnedOff() {
    const char* value = std::getenv("QVSET_RECORD");
    return value != nullptr && std::string_view(value) == "off";
}

RecordBook::RecordBook(fs::path folder, std::string server, Say say, RecordLimits limits)
    : m_folder(std::move(folder)),
      m_server(std::move(server)),
      m_say(std::move(say)),
      m_limits(limits),
      m_now([] { return RecordTime(std::chrono::system_clock::now()); }) {}

RecordBook::~RecordBook() {
    try {
        std::map<fs::path, std::size_t> missed;
        {
            const std::lock_guard guard(m_failing);
            missed.swap(m_missed);
        }
        for (const auto& [file, count] : missed) {
            std::string problem;
            Append(file, RecordGapLine(m_now(), count), problem);
        }
    } catch (const std::exception&) {
        // Nothing more can be done at the end.
    }
}

std::unique_ptr<RecordBook> RecordBook::ForServer(std::string server) const {
    auto book = std::make_unique<RecordBook>(m_folder, std::move(server), m_say, m_limits);
    book->m_now = m_now;
    return book;
}

fs::path RecordBook::FileOf(std::string_view printer) const {
    const auto [server, name] = KeyOf(m_server, printer);
    return RecordFilePath(m_folder, server, name);
}

fs::path RecordBook::FileOf(std::string_view printer, const QueueIdentity& queue) const {
    if (queue.identity.empty()) return FileOf(queue.name.empty() ? printer : std::string_view(queue.name));
    return m_folder / IdentityFileName(queue.identity);
}

std::string RecordBook::NextId() {
    const std::lock_guard guard(m_failing);
    if (m_idStem.empty()) {
        std::random_device random;
        const auto stem = (static_cast<std::uint64_t>(random()) << 32) ^ random();
        constexpr char kHex[] = "0123456789abcdef";
        for (int shift = 60; shift >= 0; shift -= 4) m_idStem += kHex[(stem >> shift) & 15];
    }
    return m_idStem + '-' + std::to_string(++m_idCount);
}

bool RecordBook::Write(const std::string& printer, const QueueIdentity& queue, const std::string& line) {
    try {
        std::string problem;
        const fs::path file = FileOf(printer, queue);
        std::string gap;
        {
            const std::lock_guard guard(m_failing);
            if (const auto missed = m_missed.find(file); missed != m_missed.end()) {
                gap = RecordGapLine(m_now(), missed->second);
            }
        }
        // A record kept under a spelling (the name as typed, or as the server spells it) before the
        // queue was known by its identity joins it.
        if (!queue.identity.empty()) {
            FolderFiles files(m_folder);
            for (const fs::path& spelt : {FileOf(printer), FileOf(queue.name)}) {
                if (spelt == file || !files.Exists(NameOf(spelt))) continue;
                if (!CarryOver(spelt, file, problem)) {
                    Fail(problem);
                    return false;
                }
            }
        }
        if (Append(file, gap + line, problem)) {
            if (!gap.empty()) {
                const std::lock_guard guard(m_failing);
                m_missed.erase(file);
            }
            return true;
        }
        Fail(problem);
    } catch (const std::exception& error) {
        Fail(error.what());
    }
    return false;
}

std::string RecordBook::Begin(const std::string& printer, const QueueIdentity& queue,
                              std::string_view command, std::span<const std::uint8_t> bytes) {
    const auto [server, name] = KeyOf(m_server, queue.name.empty() ? printer : queue.name);
    RecordedBytes recorded = BytesToRecord(bytes);
    RecordEntry entry{m_now(), server, name, std::string(command), false, std::move(recorded.bytes)};
    entry.size = recorded.size;
    entry.digest = std::move(recorded.digest);
    entry.fate = RecordFate::Pending;
    entry.id = NextId();
    return Write(printer, queue, RecordEntryLine(entry)) ? entry.id : std::string();
}

void RecordBook::Finish(const std::string& printer, const QueueIdentity& queue, const std::string& id,
                        std::string_view command, std::span<const std::uint8_t> bytes, bool taken,
                        const DocumentReceipt& receipt) {
    const RecordFate fate = !taken && receipt.mayHavePrinted ? RecordFate::NoAnswer : RecordFate::Answered;
    if (!id.empty() && Write(printer, queue, RecordUpdateLine(id, fate, taken, receipt.job))) return;
    if (id.empty()) {
        const auto [server, name] = KeyOf(m_server, queue.name.empty() ? printer : queue.name);
        RecordedBytes recorded = BytesToRecord(bytes);
        RecordEntry entry{m_now(), server, name, std::string(command), taken, std::move(recorded.bytes)};
        entry.size = recorded.size;
        entry.digest = std::move(recorded.digest);
        entry.fate = fate;
        entry.job = receipt.job;
        if (Write(printer, queue, RecordEntryLine(entry))) return;
    }
    // Nothing of this document's fate is in the record: the next line written says so.
    const std::lock_guard guard(m_failing);
    ++m_missed[FileOf(printer, queue)];
}

void RecordBook::NoteFates(const std::string& printer, const QueueIdentity& queue,
                           const std::vector<FateNote>& fates) {
    std::string lines;
    // A job the server made of the document was taken, whatever became of it later.
    for (const auto& note : fates) lines += RecordUpdateLine(note.id, note.fate, true, note.job);
    if (!lines.empty()) Write(printer, queue, lines);
}

bool RecordBook::CarryOver(const fs::path& from, const fs::path& to, std::string& problem) {
    FolderFiles files(m_folder);
    const auto fromLock = files.Lock(LockNameOf(from), m_limits.lockWait);
    const auto toLock = files.Lock(LockNameOf(to), m_limits.lockWait);
    if (!fromLock->Held() || !toLock->Held()) {
        problem = PathText(from) + ": its lock could not be taken in time (or is no regular file)";
        return false;
    }
    if (!files.Exists(NameOf(from))) return true;  // another process carried it over meanwhile
    std::string oldText;
    std::string newText;
    const auto read = files.Read(NameOf(from), oldText, kMostRecordBytes);
    auto readNew = files.Read(NameOf(to), newText, kMostRecordBytes);
    if (readNew == FolderFiles::Status::Missing) readNew = FolderFiles::Status::Done;
    std::string error;
    auto older = read == FolderFiles::Status::Done ? ParseRecord(oldText, &error) : std::nullopt;
    auto newer = readNew == FolderFiles::Status::Done ? ParseRecord(newText, &error) : std::nullopt;
    if (!older || !newer) {
        problem = PathText(older ? to : from) + ": cannot be carried over: " +
                  (!error.empty() ? error : StatusWords(older ? readNew : read, files));
        return false;
    }
    // Joined by time; the folded state of the older record goes first.
    Record joined = std::move(*older);
    if (newer->folded > 0) {
        joined.snapshot.Merge(newer->snapshot);
        for (const auto& [item, reason] : newer->snapshotUnknown) joined.snapshotUnknown[item] = reason;
        joined.folded += newer->folded;
        joined.snapshotTime = std::max(joined.snapshotTime, newer->snapshotTime);
    }
    joined.entries.insert(joined.entries.end(), newer->entries.begin(), newer->entries.end());
    std::stable_sort(joined.entries.begin(), joined.entries.end(),
                     [](const RecordEntry& a, const RecordEntry& b) { return a.time < b.time; });
    if (const auto status = files.Replace(NameOf(to), RecordText(joined));
        status != FolderFiles::Status::Done) {
        problem = PathText(to) + ": " + StatusWords(status, files);
        return false;
    }
    files.Remove(NameOf(from));
    files.Remove(LockNameOf(from));
    return true;
}

void RecordBook::Add(const std::string& printer, std::string_view command, bool taken,
                     std::span<const std::uint8_t> bytes) {
    try {
        const auto [server, name] = KeyOf(m_server, printer);
        RecordedBytes recorded = BytesToRecord(bytes);
        RecordEntry entry{m_now(), server, name, std::string(command), taken, std::move(recorded.bytes)};
        entry.size = recorded.size;
        entry.digest = std::move(recorded.digest);
        if (!Write(printer, {}, RecordEntryLine(entry))) {
            const std::lock_guard guard(m_failing);
            ++m_missed[FileOf(printer)];
        }
    } catch (const std::exception& error) {
        Fail(error.what());
    }
}

bool RecordBook::Append(const fs::path& file, const std::string& line, std::string& problem) {
    bool givenUp = false;
    {
        const std::lock_guard guard(m_failing);
        givenUp = m_lockGivenUp;
    }
    if (m_folder.empty()) {
        problem = "no folder for it: neither XDG_STATE_HOME nor HOME is set";
        return false;
    }
    FolderFiles files(m_folder);
    if (!files.IsOpen()) {
        problem = files.Problem();
        return false;
    }
    // The lock is waited for once in a run: after that the documents go on without the record.
    const auto lock =
        files.Lock(LockNameOf(file), givenUp ? std::chrono::milliseconds(0) : m_limits.lockWait);
    if (!lock->Held()) {
        const std::lock_guard guard(m_failing);
        m_lockGivenUp = true;
        problem = PathText(file) + ": its lock could not be taken in time (or is no regular file)";
        return false;
    }
    if (line.empty()) return true;
    if (const auto status = files.Append(NameOf(file), line); status != FolderFiles::Status::Done) {
        problem = PathText(file) + ": " + StatusWords(status, files);
        return false;
    }
    const auto size = files.Size(NameOf(file));
    if (!size || *size <= m_limits.maxBytes) return true;

    // Past the bound: the older documents become the state they imply, the whole file is replaced.
    std::string text;
    const auto read = files.Read(NameOf(file), text, kMostRecordBytes);
    std::string error;
    auto record = read == FolderFiles::Status::Done ? ParseRecord(text, &error) : std::nullopt;
    if (!record) {
        problem =
            PathText(file) + ": cannot be folded: " + (error.empty() ? StatusWords(read, files) : error);
        return false;
    }
    text.clear();
    text.shrink_to_fit();
    // The newest documents that fit in half the bound beside the snapshot stay listed.
    const std::size_t half = m_limits.maxBytes / 2;
    FoldRecord(*record, half);
    std::size_t listed = 0;
    for (const auto& entry : record->entries) listed += RecordEntryLine(entry).size();
    const std::size_t snapshot = RecordText(*record).size() - listed;
    if (snapshot + listed > half) FoldRecord(*record, snapshot < half ? half - snapshot : 0);
    if (const auto status = files.Replace(NameOf(file), RecordText(*record));
        status != FolderFiles::Status::Done) {
        problem = PathText(file) + ": cannot be folded: " + StatusWords(status, files);
        return false;
    }
    return true;
}

std::optional<Record> RecordBook::Read(std::string_view printer, std::string* error) const {
    return Read(printer, {}, error);
}

std::optional<Record> RecordBook::Read(std::string_view printer, const QueueIdentity& queue,
                                       std::string* error) const {
    if (m_folder.empty()) return Record{};
    FolderFiles files(m_folder);
    fs::path file = FileOf(printer, queue);
    if (!queue.identity.empty() && !files.Exists(NameOf(file))) {
        // Not carried over yet: the record under this book's spelling is the one.
        file = FileOf(queue.name.empty() ? printer : std::string_view(queue.name));
        if (!files.Exists(NameOf(file))) file = FileOf(printer);
    }
    if (!files.Exists(NameOf(file))) return Record{};
    // The lock keeps a line being written out of what is read; without it the read still goes on.
    const auto lock = files.Lock(LockNameOf(file), m_limits.lockWait);
    std::string text;
    if (const auto status = files.Read(NameOf(file), text, kMostRecordBytes);
        status != FolderFiles::Status::Done) {
        if (error != nullptr) *error = PathText(file) + ": cannot be read: " + StatusWords(status, files);
        return std::nullopt;
    }
    std::string problem;
    auto record = ParseRecord(text, &problem);
    if (!record && error != nullptr) *error = PathText(file) + ": " + problem;
    return record;
}

void RecordBook::Fail(const std::string& problem) {
    const std::lock_guard guard(m_failing);
    if (!m_failed && m_say) {
        m_say("the record of what was sent could not be written (" + problem +
              "); the documents are still sent");
    }
    m_failed = true;
}

}  // namespace qvset
