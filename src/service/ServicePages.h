#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "record/TicketPlan.h"
#include "service/ServiceState.h"

namespace qvset {

// What the pages need of the printer application: a copy of a printer's state, and a way to send one
// document to a printer's device and fold it into the state (false, with the reason, when it was not sent).
struct PageHooks {
    std::function<ServiceState(pappl_printer_t*)> state;
    std::function<bool(pappl_printer_t*, const std::vector<std::uint8_t>& document, const std::string& title,
                       const std::string& sender, std::string& problem)>
        send;
};

// The language of a page, from the browser's Accept-Language: Simplified Chinese unless English
// comes first.
enum class PageLanguage { Chinese, English };
PageLanguage ChooseLanguage(std::string_view acceptLanguage);

// The documents of a test button ("self-test", "line-feed", "form-feed", "pin-test"), as the window's
// buttons send them; empty for any other name.
std::vector<std::vector<std::uint8_t>> TestDocuments(std::string_view button);

// A ticket description file (the window's format: GBK, CR LF) against a printer's state: the items
// that differ or were never sent, and the one document that sends them as the batch does. `problem`
// holds the window's message when the file is refused, a distance is out of range, or nothing differs.
struct DescriptionPlan {
    std::vector<ItemPlan> items;         // every item the file records
    std::vector<std::uint8_t> document;  // the batch of the items that differ; empty when nothing is sent
    bool baudRate = false;               // a baud rate is among them: the batch's warning is shown
    std::string problem;
};
DescriptionPlan PlanDescription(std::string_view file, const PrinterState& state);

// The printer's pages in the framework's web interface, linked from its printer page: the implied
// state ("QV6"), the settings, the test prints and the recent jobs. Added once per printer.
void AddServicePages(pappl_printer_t* printer, const PageHooks& hooks);

}  // namespace qvset
