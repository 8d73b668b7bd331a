#include "service/FormatCheckMend.h"

#include <pthread.h>

#include <string>
#include <vector>

namespace qvset {
namespace {

// The members of PAPPL 1.3.1's struct _pappl_printer_s (pappl/printer-private.h) up to its static
// attributes, in their order.
struct PrinterHead {
    pthread_rwlock_t rwlock;
    pappl_system_t* system;
    int printerId;
    char* name;
    char* dnsSdName;
    char* location;
    char* geoLocation;
    char* organization;
    char* orgUnit;
    pappl_contact_t contact;
    char* resource;
    size_t resourceLength;
    char* uriName;
    ipp_pstate_t state;
    pappl_preason_t stateReasons;
    time_t stateTime;
    bool isAccepting;
    bool isStopped;
    bool isDeleted;
    char* deviceId;
    char* deviceUri;
    pappl_device_t* device;
    bool deviceInUse;
    char* driverName;
    pappl_pr_driver_data_t driverData;
    ipp_t* driverAttrs;
    int numReady;
    ipp_t* attrs;
};

constexpr const char* kSupported = "document-format-supported";

void Replace(ipp_t* attributes, const std::vector<const char*>& values) {
    ippDeleteAttribute(attributes, ippFindAttribute(attributes, kSupported, IPP_TAG_ZERO));
    ippAddStrings(attributes, IPP_TAG_PRINTER, IPP_TAG_MIMETYPE, kSupported, static_cast<int>(values.size()),
                  nullptr, values.data());
}

// The printer's leading members, once they are seen to be this printer's; nullptr otherwise.
PrinterHead* HeadOf(pappl_printer_t* printer) {
    if (printer == nullptr) return nullptr;
    auto* head = reinterpret_cast<PrinterHead*>(printer);
    const char* name = papplPrinterGetName(printer);
    if (head->printerId != papplPrinterGetID(printer) || head->name != name || head->attrs == nullptr ||
        head->driverAttrs == nullptr ||
        ippFindAttribute(head->attrs, "document-format-default", IPP_TAG_MIMETYPE) == nullptr) {
        return nullptr;
    }
    return head;
}

}  // namespace

bool MendFormatCheck(pappl_printer_t* printer, std::span<const std::string_view> formats) {
    PrinterHead* head = HeadOf(printer);
    if (head == nullptr) return false;
    std::vector<std::string> texts(formats.begin(), formats.end());
    std::vector<const char*> values;
    for (const auto& text : texts) values.push_back(text.c_str());
    pthread_rwlock_wrlock(&head->rwlock);
    Replace(head->attrs, values);
    // Get-Printer-Attributes copies both lists: the formats stand in one of them only.
    ippDeleteAttribute(head->driverAttrs, ippFindAttribute(head->driverAttrs, kSupported, IPP_TAG_ZERO));
    pthread_rwlock_unlock(&head->rwlock);
    return true;
}

bool RemoveDriverAttribute(pappl_printer_t* printer, const char* name) {
    PrinterHead* head = HeadOf(printer);
    if (head == nullptr) return false;
    pthread_rwlock_wrlock(&head->rwlock);
    ipp_attribute_t* found = ippFindAttribute(head->driverAttrs, name, IPP_TAG_ZERO);
    if (found != nullptr) ippDeleteAttribute(head->driverAttrs, found);
    pthread_rwlock_unlock(&head->rwlock);
    return found != nullptr;
}

bool SetDriverTexts(pappl_printer_t* printer, const char* name, std::span<const std::string> values) {
    PrinterHead* head = HeadOf(printer);
    if (head == nullptr) return false;
    std::vector<const char*> texts;
    for (const auto& value : values) texts.push_back(value.c_str());
    pthread_rwlock_wrlock(&head->rwlock);
    ippDeleteAttribute(head->driverAttrs, ippFindAttribute(head->driverAttrs, name, IPP_TAG_ZERO));
    if (!texts.empty()) {
        ippAddStrings(head->driverAttrs, IPP_TAG_PRINTER, IPP_TAG_TEXT, name, static_cast<int>(texts.size()),
                      nullptr, texts.data());
    }
    pthread_rwlock_unlock(&head->rwlock);
    return true;
}

}  // namespace qvset
