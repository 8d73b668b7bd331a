#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <iostream>
#include <streambuf>
#include <string>

#include "cli/Console.h"
#include "files/NativeNames.h"
#include "text/CharsetText.h"

namespace qvset::cli {
namespace {

// Writes qvctl's UTF-8 text to a stream's own buffer in the locale's character set, line by line (a
// character is never split: its first bytes wait for the rest). Installed over std::cout and
// std::cerr for as long as it lives.
class CharsetOutput final : public std::streambuf {
  public:
    CharsetOutput(std::ostream& stream, std::string charset)
        : m_stream(stream), m_target(stream.rdbuf()), m_charset(std::move(charset)) {
        m_stream.rdbuf(this);
    }
    ~CharsetOutput() override {
        sync();
        m_stream.rdbuf(m_target);
    }
    CharsetOutput(const CharsetOutput&) = delete;
    CharsetOutput& operator=(const CharsetOutput&) = delete;

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        m_pending.push_back(ch);
        if (ch == '\n' && !Drain()) return traits_type::eof();
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        m_pending.append(text, static_cast<std::size_t>(count));
        if (std::string_view(text, static_cast<std::size_t>(count)).find('\n') != std::string_view::npos &&
            !Drain()) {
            return 0;
        }
        return count;
    }
    int sync() override { return Drain() && m_target->pubsync() == 0 ? 0 : -1; }

  private:
    bool Drain() {
        const std::size_t whole = CompleteUtf8Length(m_pending);
        if (whole == 0) return true;
        const std::string converted = Utf8ToCharset(std::string_view(m_pending).substr(0, whole), m_charset);
        m_pending.erase(0, whole);
        return m_target->sputn(converted.data(), static_cast<std::streamsize>(converted.size())) ==
               static_cast<std::streamsize>(converted.size());
    }

    std::ostream& m_stream;
    std::streambuf* m_target;
    std::string m_charset;
    std::string m_pending;
};

}  // namespace

// The arguments, the file names and the output follow the locale's character set: UTF-8 and the C
// locale pass bytes on unchanged; another set (GB18030, GBK) is converted at these edges, as the
// wide command line and the console do on Windows.
std::vector<std::string> PrepareConsole(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const std::string charset = nl_langinfo(CODESET);
    // Numbers are read and written the same whatever the locale, and system messages (a file's
    // error) stay in the words and bytes of qvctl's own.
    std::setlocale(LC_NUMERIC, "C");
    std::setlocale(LC_MESSAGES, "C");
    if (KeepsBytes(charset)) return {argv + 1, argv + argc};
    SpellNamesIn(charset);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(CharsetToUtf8(argv[i], charset));
    // JSON is UTF-8 whatever the terminal: scripts and other programs read it, not people.
    const bool json = std::find(args.begin(), args.end(), "--json") != args.end();
    if (!json) static CharsetOutput out(std::cout, charset);
    static CharsetOutput err(std::cerr, charset);
    return args;
}

bool HoldClosedStandardInput() {
    if (fcntl(STDIN_FILENO, F_GETFD) != -1 || errno != EBADF) return false;
    const int null = open("/dev/null", O_RDONLY);
    if (null > STDIN_FILENO) close(null);
    return true;
}

bool StandardOutputReaderGone() {
    struct stat status {};
    if (fstat(STDOUT_FILENO, &status) != 0 || !(S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)))
        return false;
    // The write end of a pipe without readers polls as an error; a socket whose peer has gone, as hung up.
    pollfd output{.fd = STDOUT_FILENO, .events = POLLOUT, .revents = 0};
    return poll(&output, 1, 0) == 1 && (output.revents & (POLLERR | POLLHUP)) != 0;
}

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

std::size_t OpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
    return static_cast<std::size_t>(limit.rlim_cur);
}

}  // namespace qvset::cli
