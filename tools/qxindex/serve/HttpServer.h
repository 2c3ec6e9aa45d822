// The socket side of `qxindex serve`: an HTTP server that answers the page's
// files and hands every /api/ request to the API. The HTTP library stays inside
// HttpServer.cpp.
#pragma once

#include <memory>
#include <string>

#include "tools/qxindex/serve/ServeApi.h"

namespace httplib {
class Server;
}

namespace qxindex {

// Larger bodies are refused before they are read: the largest request the page
// makes, a formula of at most 64 KiB, fits many times over.
constexpr size_t kMaxRequestBytes = 1024 * 1024;

class CHttpServer {
public:
    explicit CHttpServer(CServeApi* pApi);
    ~CHttpServer();
    CHttpServer(const CHttpServer&) = delete;
    CHttpServer& operator=(const CHttpServer&) = delete;

    // Binds to the address; port 0 picks a free one. False when it cannot.
    bool Bind(const std::string& strHost, int nPort);
    int Port() const { return m_nPort; }
    // Serves until Stop; false when the server could not run.
    bool Run();
    // From any thread.
    void Stop();

private:
    std::unique_ptr<httplib::Server> m_pServer;
    int m_nPort = 0;
};

}  // namespace qxindex
