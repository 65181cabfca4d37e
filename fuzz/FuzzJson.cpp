// A reply of the template web service as the client meets it: the body read by the lenient JSON
// reader, then every accessor the dialogs use on the result, the listed UUID checked as the
// template store checks it and the listed icon read as the template list reads it.

#include "FuzzSupport.h"

#include "app/StoragePaths.h"
#include "web/DownloadLumoraXMLContentMethod.h"
#include "web/DownloadNLPExtensionMethod.h"
#include "web/DownloadNLPXmlContentMethod.h"
#include "web/GetFirstLumoraMethod.h"
#include "web/GetNextLumoraMethod.h"
#include "web/LoginMethod.h"
#include "web/SearchLumoraMethod.h"
#include "web/ServiceIcon.h"
#include "web/UploadLumoraMethod.h"
#include "web/UploadNLPExtensionMethod.h"

#include <memory>

namespace {

struct Methods
{
    GetFirstLumoraMethod first;
    GetNextLumoraMethod next;
    DownloadLumoraXMLContentMethod content;
    LoginMethod login;
    SearchLumoraMethod search;
    UploadLumoraMethod upload;
    DownloadNLPExtensionMethod nlp;
    DownloadNLPXmlContentMethod nlpContent;
    UploadNLPExtensionMethod nlpUpload;
};

std::unique_ptr<Methods> s_methods;

// Keeps the optimiser from dropping an accessor's result.
volatile size_t s_sink = 0;

void use(QString const& text)
{
    s_sink = s_sink + size_t(text.size());
}

void readListItem(AbstractDownloadMethod& method)
{
    if (!method.isSuccess())
        return;
    use(method.name());
    use(method.version());
    QString const uuid = method.uuid();
    s_sink = s_sink + size_t(StoragePaths::isValidTemplateUuid(uuid)) + size_t(method.id());
    use(StoragePaths::objectTemplatePath(uuid));
    QImage const icon = ServiceIcon::read(method.icon());
    s_sink = s_sink + size_t(icon.width());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::start(argc, argv, false);
    s_methods = std::make_unique<Methods>();
    atexit([] { s_methods.reset(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    QByteArray const body = FuzzSupport::bytes(data, size);
    Methods& m = *s_methods;

    for (AbstractDownloadMethod* list : {static_cast<AbstractDownloadMethod*>(&m.first),
                                         static_cast<AbstractDownloadMethod*>(&m.next)}) {
        list->parseReplyBody(body);
        use(list->failure());
        readListItem(*list);
    }

    m.content.parseReplyBody(body);
    if (m.content.isSuccess())
        s_sink = s_sink + size_t(m.content.xmlContent().size()) + size_t(m.content.id());

    m.login.parseReplyBody(body);
    if (m.login.hasUser()) {
        s_sink = s_sink + size_t(m.login.userId()) + size_t(m.login.loginCount());
        use(m.login.name());
        use(m.login.email());
        use(m.login.lastLoginAt().toString());
    }

    m.search.parseReplyBody(body);
    // The upload walks the hits until atEnd(); a hostile list is long, not endless.
    for (m.search.first(); !m.search.atEnd(); m.search.next()) {
        use(m.search.name());
        use(m.search.version());
        use(m.search.uuid());
    }

    m.upload.parseReplyBody(body);
    s_sink = s_sink + size_t(m.upload.isSuccess()) + size_t(m.upload.errors().size());
    use(m.upload.message());

    m.nlp.parseReplyBody(body);
    if (m.nlp.isSuccess()) {
        use(m.nlp.id());
        use(m.nlp.uuid());
        use(m.nlp.createdAt().toString());
    }
    m.nlpContent.parseReplyBody(body);
    s_sink = s_sink + size_t(m.nlpContent.xmlContent().size());
    m.nlpUpload.parseReplyBody(body);
    s_sink = s_sink + size_t(m.nlpUpload.errors().size());
    return 0;
}
