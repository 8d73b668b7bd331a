// qvctl commands of the utility buttons: the hex console, the save command, paper motion and test prints.
#include <ostream>

#include "cli/CommandRegistry.h"
#include "cli/ProgressLine.h"
#include "console/ConsoleText.h"
#include "console/TestPrints.h"
#include "tuning/ParameterCommands.h"

namespace qvset::cli {
namespace {

// A command that takes no arguments and sends fixed documents.
CliCommand FixedCommand(std::string name, std::string summary, void (*send)(PrintChannel&)) {
    return {.name = std::move(name),
            .usage = "",
            .summary = std::move(summary),
            .help = "",
            .run = [send](CliContext& c, const std::vector<std::string>&) {
                send(c.channel);
                return kExitOk;
            }};
}

int Console(CliContext& context, const std::vector<std::string>& /*args*/) {
    bool table = false;
    std::string text;
    // Every word but --table is text, an option it does not know as well (refused as no hex digit).
    for (const ParsedArgument& argument : context.parsed.inOrder) {
        if (argument.declared && argument.text == "--table") {
            table = true;
            continue;
        }
        if (!text.empty()) text.push_back(' ');
        text += argument.text;
    }
    // Unlike the text box, a command line does not edit what was typed: a wrong character refuses all.
    if (FirstDisallowedCharacter(text)) {
        context.dialogs.Message(kMsgNotHex);
        return kExitRefused;
    }
    if (text.find_first_not_of(' ') == std::string::npos) return UsageError(context, "no hex digits given");
    // The table mode waits 3.5 s between its documents.
    ProgressLine line(context.err, context.progress && table, "console --table", 3.5);
    ProgressPause pause(context.pause, line);
    line.Show("save, table, save");
    const SendOutcome outcome = SendConsoleText(context.channel, pause, text, table);
    line.Clear();
    return ShowOutcome(context, outcome);
}

}  // namespace

void RegisterConsoleCommands(CommandRegistry& registry) {
    registry.Add(
        {.name = "console",
         .usage = "[--table] HEX...",
         .summary =
             "send hex digits as the console does (blanks ignored); --table frames them with save commands",
         .help = "Only 0-9, a-f, A-F and blanks are accepted; anything else is refused and nothing is sent.\n"
                 "--table sends the save command, waits 2.5 s, sends the digits, waits 1 s and sends the\n"
                 "save command again (three documents), as for a parameter table.",
         .run = Console,
         .countProblem = "no hex digits given"});
    registry.Add(FixedCommand("save", "send the save command 1B 3A 00 00 52",
                              [](PrintChannel& channel) { SendSaveCommand(channel); }));
    registry.Add(FixedCommand("self-test", "print the printer's self-test page", PrintSelfTest));
    registry.Add(FixedCommand("line-feed", "feed one line (0A)", FeedLine));
    registry.Add(FixedCommand("form-feed", "feed to the next page (0C)", FeedPage));
    registry.Add(FixedCommand("feed-forward", "feed the paper forward by 3 units (1B 4A 03)", FeedForward));
    registry.Add(FixedCommand("feed-back", "feed the paper back by 3 units (1B 6A 03)", FeedBack));
    registry.Add(FixedCommand("pin-test", "print the print-head pin test (18 documents)", PrintPinTest));
}

}  // namespace qvset::cli
