#include "forms/ProgramOptions.h"

#include <optional>

namespace qvset::forms {
namespace {

// An option that takes a value, given as "--name VALUE" or "--name=VALUE".
struct ValueOption {
    std::string_view name;
    std::optional<std::string>* value;
};

ProgramOptions Refuse(std::string error) {
    ProgramOptions refused;
    refused.action = ProgramOptions::Action::Refused;
    refused.error = std::move(error);
    return refused;
}

}  // namespace

ProgramOptions ParseProgramArguments(const std::vector<std::string>& args) {
    bool help = false;
    bool version = false;
    bool preview = false;
    std::optional<std::string> screenshot;
    std::optional<std::string> form;
    const ValueOption valueOptions[] = {{"--screenshot", &screenshot}, {"--form", &form}};

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            continue;
        }
        if (arg == "--version") {
            version = true;
            continue;
        }
        if (arg == "--preview") {
            if (preview) return Refuse("--preview given twice");
            preview = true;
            continue;
        }
        bool taken = false;
        for (const ValueOption& option : valueOptions) {
            const std::string name(option.name);
            std::optional<std::string> value;
            if (arg == name) {
                // "--screenshot --form 2" forgot the file: the next option is not taken as one.
                if (i + 1 == args.size() || args[i + 1].rfind("--", 0) == 0)
                    return Refuse(name + " needs a value");
                value = args[++i];
            } else if (arg.rfind(name + "=", 0) == 0) {
                value = arg.substr(name.size() + 1);
            } else {
                continue;
            }
            if (value->empty()) return Refuse(name + " needs a value");
            if (option.value->has_value()) return Refuse(name + " given twice");
            *option.value = std::move(value);
            taken = true;
            break;
        }
        if (taken) continue;
        if (arg.size() > 1 && arg[0] == '-') return Refuse("unknown option " + arg);
        return Refuse("unexpected argument " + arg);
    }

    if (form && *form != "1" && *form != "2" && *form != "3") return Refuse("--form takes 1, 2 or 3");
    if (form && !screenshot) return Refuse("--form goes with --screenshot");
    if (preview && screenshot) return Refuse("--preview does not go with --screenshot (use --form 3)");

    ProgramOptions options;
    if (help) {
        options.action = ProgramOptions::Action::Help;
    } else if (version) {
        options.action = ProgramOptions::Action::Version;
    } else if (screenshot) {
        options.action = ProgramOptions::Action::Screenshot;
        options.screenshotFile = *screenshot;
        options.screenshotForm = "Form" + form.value_or("1");
    } else if (preview) {
        options.startForm = "Form3";
    }
    return options;
}

std::string ProgramHelp(std::string_view program) {
    const std::string name(program);
    return "Usage: " + name + " [--preview]\n" +                       //
           "  or:  " + name + " --screenshot FILE [--form 1|2|3]\n" +  //
           "\n"
           "The QV6 printer utility's window (设置): the printer's stored switches, the ticket geometry,\n"
           "ticket descriptions (票样), test prints and print-quality tuning. Every command goes to the\n"
           "current printer (the default printer) as one RAW document.\n"
           "\n"
           "Options:\n"
           "  -h, --help               Show this help and exit.\n"
           "  --version                Show the version and exit.\n"
           "  --preview                Start on the ticket-geometry preview (设置预览页); its button opens\n"
           "                           the main window.\n"
           "  --screenshot FILE        Paint a window into a PNG file and exit; printers are listed, none\n"
           "                           is changed.\n"
           "  --form 1|2|3             With --screenshot: the main window (1), the help window (2) or the\n"
           "                           preview (3).\n";
}

std::string RefusalText(const ProgramOptions& options) {
    return "qvset: " + options.error + "\nsee 'qvset --help'\n";
}

}  // namespace qvset::forms
