#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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

// The printer's pages in the framework's web interface, linked from its printer page: the implied
// state ("QV6"), the settings, the test prints and the recent jobs. Added once per printer.
void AddServicePages(pappl_printer_t* printer, const PageHooks& hooks);

}  // namespace qvset
