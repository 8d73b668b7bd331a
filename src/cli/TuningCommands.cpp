// qvctl commands of the print-quality tuning: the tuning runs with their watch, the factory restore.
#include <ostream>

#include "cli/ArgumentValues.h"
#include "cli/CommandRegistry.h"
#include "cli/ProgressLine.h"
#include "cli/TerminalText.h"
#include "tuning/JobWatch.h"
#include "tuning/ParameterCommands.h"
#include "tuning/TuningRuns.h"

namespace qvset::cli {
namespace {

constexpr int kTickMs = 1000;
// The run's own pauses before its samples (2.5, 2, 2.5 and 2.5 s) and the watch's end seconds.
constexpr double kRunPausesSeconds = 9.5;
constexpr double kSingleWatchSeconds = 27;
constexpr double kAllWatchSeconds = 68;

struct TuneOptions {
    bool allModes = false;
    ModeCaptions captions = InitialModeCaptions();
    std::string pause{kInitialExtraPause};
    bool watch = true;
};

// Reads "single|all" first and then the options in the order given (the last of a repeated one counts);
// returns the first problem, or an empty text when all is well.
std::string ParseTuneOptions(const ParsedArguments& parsed, TuneOptions& options) {
    const std::vector<ParsedArgument>& given = parsed.inOrder;
    if (given.empty()) return "single or all is needed";
    if (given[0].text == "all") {
        options.allModes = true;
    } else if (given[0].text != "single") {
        return "unknown run " + given[0].text + " (single or all)";
    }
    for (std::size_t i = 1; i < given.size(); ++i) {
        const std::string& option = given[i].text;
        if (given[i].declared && option == "--no-watch") {
            options.watch = false;
            continue;
        }
        std::string* target = nullptr;
        if (option == "--high") target = &options.captions.highSpeed;
        if (option == "--standard") target = &options.captions.standard;
        if (option == "--fine") target = &options.captions.fine;
        if (option == "--pause") target = &options.pause;
        if (!given[i].declared || target == nullptr) return "unknown option " + option;
        if (!given[i].value) return option + " needs a value";
        // A value that is not a whole number of its range would store or wait for something else.
        std::string problem;
        const auto value = ReadNumberArgument(option, *given[i].value,
                                              option == "--pause" ? kPauseRange : kModeValueRange, problem);
        if (!value) return problem;
        *target = std::to_string(static_cast<long>(*value));
    }
    return {};
}

int Tune(CliContext& context, const std::vector<std::string>& args) {
    TuneOptions options;
    // Any word after "--" but the run itself is refused, even one an option took as its value.
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (context.IsOperand(i)) return UsageError(context, "unexpected argument " + args[i]);
    }
    const std::string problem = ParseTuneOptions(context.parsed, options);
    if (!problem.empty()) return UsageError(context, problem);

    const double watchSeconds = options.allModes ? kAllWatchSeconds : kSingleWatchSeconds;
    const double expected =
        kRunPausesSeconds + ExtraPauseOf(options.pause) / 1000.0 + (options.watch ? watchSeconds : 0);
    ProgressLine line(context.err, context.progress, "tune " + args[0], expected);
    ProgressPause pause(context.pause, line);
    JobWatch watch(context.spooler, context.dialogs);
    TuningSession session{context.channel, pause, context.dialogs, watch};
    line.Show("storing the mode values, then printing the samples");
    const bool started = options.allModes ? AllModesRun(session, options.captions, options.pause)
                                          : SingleModeRun(session, options.captions, options.pause);
    if (!started) return kExitRefused;
    // Nothing reached the spooler: there is nothing to watch.
    if (!options.watch || context.channel.OpenFailures() > 0) return kExitOk;

    WatchOutcome outcome = WatchOutcome::Watching;
    while (outcome == WatchOutcome::Watching) {
        context.pause.Wait(kTickMs);
        outcome = watch.Tick();
        line.Show("watching the queue, second " + std::to_string(watch.RunTicks()) + " of " +
                  SecondsText(watchSeconds));
        // A queue that cannot be inspected looks empty: that is no sign that the run went well.
        if (context.spooler.LastFault() == SpoolerFault::Unreachable) {
            line.Clear();
            context.dialogs.Message(kMsgServerUnreachable);
            return kExitPrinterFailed;
        }
    }
    // Only the result stays: the caption the watch ended with.
    line.Clear();
    context.err << watch.Caption() << '\n' << std::flush;
    return outcome == WatchOutcome::Failed ? kExitPrinterFailed : kExitOk;
}

}  // namespace

void RegisterTuningCommands(CommandRegistry& registry) {
    const ModeCaptions initial = InitialModeCaptions();
    registry.Add(
        {.name = "tune",
         .usage = "single|all [--high N] [--standard N] [--fine N] [--pause MS] [--no-watch]",
         .summary = "store the three mode values and print the tuning samples (single) or test page (all)",
         .help = "single  stores the values, then prints alignment samples around the high-speed value\n"
                 "all     stores the values, then prints one test page for high speed, standard and fine\n"
                 "--high, --standard, --fine  the mode values (start-up values " +
                 initial.highSpeed + ", " + initial.standard + ", " + initial.fine +
                 "), each a\n"
                 "        whole number from 1 to 40\n"
                 "--pause MS  the extra pause before the samples, a whole number from 0 to " +
                 std::to_string(kMaxExtraPauseMs) + " (default " + std::string(kInitialExtraPause) +
                 ")\n"
                 "--no-watch  return once the documents are queued\n"
                 "A value outside its range, or not a whole number, is refused: exit 2, nothing sent.\n"
                 "Unless --no-watch, the spooler queue is then watched once a second and its result\n"
                 "printed on stderr: " +
                 Quoted(kWatchCaptionDone) + " exits 0;\n" + Quoted(kWatchCaptionFailed) +
                 " (documents still waiting at second 5 of a single run, 10 of an all run) exits 1.\n"
                 "How long it takes: 9.5 s of pauses plus --pause before the samples (14.5 s with the\n"
                 "default), then the watch: up to 27 s for single (about 42 s in all), up to 68 s for all\n"
                 "(about 83 s in all). On a terminal one line on stderr shows the step, the seconds gone\n"
                 "and the seconds expected.",
         .run = RefusingControlCharacters(Tune),
         .countProblem = "single or all is needed"});
    registry.Add({.name = "factory-restore",
                  .usage = "",
                  .summary = "write the factory parameter table (save, table, save; about 3.5 s)",
                  .help =
                      "It waits 2.5 s after the first save command and 1 s after the table; on a terminal\n"
                      "one line on stderr shows the seconds gone.",
                  .run = [](CliContext& c, const std::vector<std::string>&) {
                      ProgressLine line(c.err, c.progress, "factory-restore", 3.5);
                      ProgressPause pause(c.pause, line);
                      line.Show("save, table, save");
                      RestoreFactoryParameters(c.channel, pause);
                      return kExitOk;
                  }});
}

}  // namespace qvset::cli
