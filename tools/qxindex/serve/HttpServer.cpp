#include "tools/qxindex/serve/HttpServer.h"

#include <httplib.h>
#include <sys/socket.h>

#include "tools/qxindex/serve/WebAssets.h"

namespace qxindex {
namespace {

void AnswerApi(CServeApi* pApi, const httplib::Request& request, httplib::Response& response) {
    ApiAnswer answer = pApi->Handle(request.method, request.path, request.body);
    response.status = answer.nStatus;
    response.set_header("Cache-Control", "no-store");
    response.set_content(answer.strBody, "application/json");
}

void AnswerAsset(const httplib::Request& request, httplib::Response& response) {
    const WebAsset* pAsset = FindWebAsset(request.path);
    if (pAsset == nullptr) {
        response.status = 404;
        response.set_content("not found\n", "text/plain");
        return;
    }
    response.set_header("Cache-Control", "no-cache");
    response.set_content(reinterpret_cast<const char*>(pAsset->pData), pAsset->nSize,
                         pAsset->pszType);
}

}  // namespace

CHttpServer::CHttpServer(CServeApi* pApi) : m_pServer(std::make_unique<httplib::Server>()) {
    m_pServer->set_payload_max_length(kMaxRequestBytes);
    // The library's default also sets SO_REUSEPORT, which lets a second server
    // start on a port that is in use and take half of its connections; a busy
    // port must be an error instead. SO_REUSEADDR alone still allows a restart
    // while old connections linger.
    m_pServer->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    auto api = [pApi](const httplib::Request& request, httplib::Response& response) {
        AnswerApi(pApi, request, response);
    };
    m_pServer->Get("/api/.*", api);
    m_pServer->Post("/api/.*", api);
    m_pServer->Patch("/api/.*", api);
    m_pServer->Delete("/api/.*", api);
    m_pServer->Put("/api/.*", api);
    m_pServer->Get(".*", AnswerAsset);
    // The handlers catch everything themselves; this keeps a surprise in the HTTP
    // library's own code from ending the process.
    m_pServer->set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
            response.status = 500;
            response.set_content("{\"error\":\"internal error\"}", "application/json");
        });
}

CHttpServer::~CHttpServer() = default;

bool CHttpServer::Bind(const std::string& strHost, int nPort) {
    if (nPort == 0) {
        m_nPort = m_pServer->bind_to_any_port(strHost);
        return m_nPort > 0;
    }
    if (!m_pServer->bind_to_port(strHost, nPort)) return false;
    m_nPort = nPort;
    return true;
}

bool CHttpServer::Run() {
    return m_pServer->listen_after_bind();
}

void CHttpServer::Stop() {
    m_pServer->stop();
}

}  // namespace qxindex
