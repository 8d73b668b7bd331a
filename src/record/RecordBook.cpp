#include "record/RecordBook.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "files/FileContents.h"
#include "files/FileLock.h"
#include "printer/device/DeviceAddress.h"

namespace qvset {
namespace {

namespace fs = std::filesystem;

fs::path LockPathOf(const fs::path& file) {
    return fs::path(file).concat(".lock");
}

std::string TwoDigits(unsigned value, int width = 2) {
    std::string text = std::to_string(value);
    while (static_cast<int>(text.size()) < width) text.insert(text.begin(), '0');
    return text;
}

std::optional<std::string> ReadWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return text;
}

// Whether the file's last byte is a line end (an empty file counts as one): a line cut off by a full
// disk or a crash must not swallow the next one.
bool EndsWithLineEnd(const fs::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return true;
    const auto size = in.tellg();
    if (size <= 0) return true;
    in.seekg(-1, std::ios::end);
    char last = '\n';
    in.get(last);
    return last == '\n';
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
            for (const fs::path& spelt : {FileOf(printer), FileOf(queue.name)}) {
                std::error_code code;
                if (spelt == file || !fs::exists(spelt, code)) continue;
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
    RecordEntry entry{m_now(), server, name, std::string(command), false, {bytes.begin(), bytes.end()}};
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
        RecordEntry entry{m_now(), server, name, std::string(command), taken, {bytes.begin(), bytes.end()}};
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
    const FileLock fromLock(LockPathOf(from), {.wait = m_limits.lockWait, .regularOnly = true});
    const FileLock toLock(LockPathOf(to), {.wait = m_limits.lockWait, .regularOnly = true});
    if (!fromLock.Held() || !toLock.Held()) {
        problem = PathText(from) + ": its lock could not be taken in time";
        return false;
    }
    std::error_code code;
    if (!fs::exists(from, code)) return true;  // another process carried it over meanwhile
    const auto oldText = ReadWhole(from);
    const auto newText = fs::exists(to, code) ? ReadWhole(to) : std::optional<std::string>(std::string());
    std::string error;
    auto older = oldText ? ParseRecord(*oldText, &error) : std::nullopt;
    auto newer = newText ? ParseRecord(*newText, &error) : std::nullopt;
    if (!older || !newer) {
        problem = PathText(from) + ": cannot be carried over: " + (error.empty() ? "cannot be read" : error);
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
    const std::string text = RecordText(joined);
    if (!ReplaceFileContents(to,
                             std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))) {
        problem = PathText(to) + ": cannot be written";
        return false;
    }
    fs::remove(from, code);
    fs::remove(LockPathOf(from), code);
    return true;
}

void RecordBook::Add(const std::string& printer, std::string_view command, bool taken,
                     std::span<const std::uint8_t> bytes) {
    try {
        const auto [server, name] = KeyOf(m_server, printer);
        const RecordEntry entry{m_now(), server,
                                name,    std::string(command),
                                taken,   std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
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
    std::error_code code;
    fs::create_directories(m_folder, code);
    if (code) {
        problem = PathText(m_folder) + ": " + code.message();
        return false;
    }
    // The lock is waited for once in a run: after that the documents go on without the record.
    const FileLock lock(LockPathOf(file), {.wait = givenUp ? std::chrono::milliseconds(0) : m_limits.lockWait,
                                           .regularOnly = true});
    if (!lock.Held()) {
        const std::lock_guard guard(m_failing);
        m_lockGivenUp = true;
        problem = PathText(file) + ": its lock could not be taken in time (or is no regular file)";
        return false;
    }
    return line.empty() || AppendUnlocked(file, line, problem);
}

bool RecordBook::AppendUnlocked(const fs::path& file, const std::string& line, std::string& problem) {
    if (m_folder.empty()) {
        problem = "no folder for it: neither XDG_STATE_HOME nor HOME is set";
        return false;
    }
    std::error_code code;
    {
        const bool joined = EndsWithLineEnd(file);
        std::ofstream out(file, std::ios::binary | std::ios::app);
        if (out) {
            // One write of the whole line.
            const std::string text = joined ? line : '\n' + line;
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            out.flush();
        }
        if (!out) {
            problem = PathText(file) + ": cannot be written";
            return false;
        }
    }
    const auto size = fs::file_size(file, code);
    if (code || size <= m_limits.maxBytes) return true;

    // Past the bound: the older documents become the state they imply, the whole file is replaced.
    const auto text = ReadWhole(file);
    std::string error;
    auto record = text ? ParseRecord(*text, &error) : std::nullopt;
    if (!record) {
        problem = PathText(file) + ": cannot be folded: " + (text ? error : "cannot be read");
        return false;
    }
    // The newest documents that fit in half the bound beside the snapshot stay listed.
    const std::size_t half = m_limits.maxBytes / 2;
    FoldRecord(*record, half);
    std::size_t listed = 0;
    for (const auto& entry : record->entries) listed += RecordEntryLine(entry).size();
    const std::size_t snapshot = RecordText(*record).size() - listed;
    if (snapshot + listed > half) FoldRecord(*record, snapshot < half ? half - snapshot : 0);
    const std::string folded = RecordText(*record);
    if (!ReplaceFileContents(
            file, std::span(reinterpret_cast<const std::uint8_t*>(folded.data()), folded.size()))) {
        problem = PathText(file) + ": cannot be folded: the new file cannot be written";
        return false;
    }
    return true;
}

std::optional<Record> RecordBook::Read(std::string_view printer, std::string* error) const {
    return Read(printer, {}, error);
}

std::optional<Record> RecordBook::Read(std::string_view printer, const QueueIdentity& queue,
                                       std::string* error) const {
    fs::path file = FileOf(printer, queue);
    std::error_code code;
    if (!queue.identity.empty() && !fs::exists(file, code)) {
        // Not carried over yet: the record under this book's spelling is the one.
        file = FileOf(queue.name.empty() ? printer : std::string_view(queue.name));
        if (!fs::exists(file, code)) file = FileOf(printer);
    }
    if (!fs::exists(file, code)) return Record{};
    // The lock keeps a line being written out of what is read; without it the read still goes on.
    const FileLock lock(LockPathOf(file), {.wait = m_limits.lockWait, .regularOnly = true});
    const auto text = ReadWhole(file);
    if (!text) {
        if (error != nullptr) *error = PathText(file) + ": cannot be read";
        return std::nullopt;
    }
    std::string problem;
    auto record = ParseRecord(*text, &problem);
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
