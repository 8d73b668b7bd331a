// The status of a refused document format. PAPPL 1.3.1's check of the format (mended by
// MendFormatCheck) answers with client-error-attributes-or-values-not-supported, where IPP asks for
// client-error-document-format-not-supported, and a status once set is only ever raised. The framework
// calls its public papplClientRespondIPPUnsupported through the dynamic linker, so this program's own
// definition stands in for it: for the document-format of a job it answers with the right status, and
// hands every other attribute to the framework's own.
#include <dlfcn.h>
#include <pappl/pappl.h>

#include <cstring>

namespace {

using Unsupported = void (*)(pappl_client_t*, ipp_attribute_t*);

Unsupported FrameworkUnsupported() {
    static const auto found =
        reinterpret_cast<Unsupported>(dlsym(RTLD_NEXT, "papplClientRespondIPPUnsupported"));
    return found;
}

bool IsJobFormat(pappl_client_t* client, ipp_attribute_t* attr) {
    const char* name = ippGetName(attr);
    if (name == nullptr || std::strcmp(name, "document-format") != 0) return false;
    if (ippGetValueTag(attr) != IPP_TAG_MIMETYPE || ippGetCount(attr) != 1) return false;
    const ipp_op_t op = papplClientGetOperation(client);
    return op == IPP_OP_PRINT_JOB || op == IPP_OP_SEND_DOCUMENT || op == IPP_OP_VALIDATE_JOB;
}

}  // namespace

extern "C" void papplClientRespondIPPUnsupported(pappl_client_t* client, ipp_attribute_t* attr) {
    if (client != nullptr && attr != nullptr && IsJobFormat(client, attr)) {
        const char* format = ippGetString(attr, 0, nullptr);
        if (format != nullptr && std::strcmp(format, "application/octet-stream") == 0) {
            papplClientRespondIPP(client, IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED,
                                  "The document is no QV6 command stream; send QV6 commands as "
                                  "application/vnd.qvset.qv6.");
        } else {
            papplClientRespondIPP(
                client, IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED,
                "This printer does not take \"%s\" documents; send application/vnd.qvset.qv6.", format);
        }
        ipp_attribute_t* copy = ippCopyAttribute(papplClientGetResponse(client), attr, 0);
        ippSetGroupTag(papplClientGetResponse(client), &copy, IPP_TAG_UNSUPPORTED_GROUP);
        return;
    }
    if (const Unsupported framework = FrameworkUnsupported()) framework(client, attr);
}
