// Every Beast/Asio line of the server lives here (it compiles slowly and
// rarely changes): accepting, TLS, parsing requests, and acting responses
// out with their transport faults. What to answer is VaultApp's business.
#include "server_net.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <array>
#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

namespace ql::vault {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace ssl = asio::ssl;
using tcp = asio::ip::tcp;
using asio::use_awaitable;

// A vault request carries at most one large block run; PerfTest data is
// the largest thing a client sends.
constexpr std::uint64_t kMaxRequestBody = 512ull * 1024 * 1024;
// Bytes per write when a large body is streamed.
constexpr std::size_t kWriteStep = 64 * 1024;

// Windows HTTP stacks send headers and body in two writes; an ACK delayed
// after the first costs ~40 ms a request. The kernel clears QUICKACK again
// by itself, so it is set before every read.
void QuickAck(tcp::socket& socket) {
    int one = 1;
    ::setsockopt(socket.native_handle(), IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
}

// Closing with a zero linger time sends RST instead of FIN.
void Reset(tcp::socket& socket) {
    ::linger off{1, 0};
    ::setsockopt(socket.native_handle(), SOL_SOCKET, SO_LINGER, &off, sizeof off);
    beast::error_code ignored;
    socket.close(ignored);
}

void Close(tcp::socket& socket) {
    beast::error_code ignored;
    socket.shutdown(tcp::socket::shutdown_both, ignored);
    socket.close(ignored);
}

asio::awaitable<void> Sleep(unsigned ms) {
    asio::steady_timer timer(co_await asio::this_coro::executor);
    timer.expires_after(std::chrono::milliseconds(ms));
    co_await timer.async_wait(use_awaitable);
}

template <class Stream>
asio::awaitable<void> WriteAll(Stream& stream, std::string_view bytes) {
    co_await asio::async_write(stream, asio::buffer(bytes.data(), bytes.size()), use_awaitable);
}

// Writes the response; false when the connection must not be used again.
template <class Stream>
asio::awaitable<bool> Respond(Stream& stream, const HttpResponse& response, bool keepAlive) {
    tcp::socket& socket = beast::get_lowest_layer(stream);
    const TransportFault& fault = response.fault;
    if (fault.delayMs != 0) co_await Sleep(fault.delayMs);
    if (fault.closeBeforeStatus) {
        Close(socket);
        co_return false;
    }
    std::string head = FormatResponseHead(response, keepAlive);
    BodyCursor cursor(response);
    if (fault.dripChunkBytes != 0) {
        co_await WriteAll(stream, head);
        for (std::string_view piece = cursor.Next(fault.dripChunkBytes); !piece.empty();) {
            // A chunk may span the body's parts.
            std::string chunk(piece);
            while (chunk.size() < fault.dripChunkBytes && cursor.Remaining() != 0) {
                chunk += cursor.Next(fault.dripChunkBytes - chunk.size());
            }
            char size[32];
            int n = std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
            co_await WriteAll(stream,
                              std::string(size, static_cast<std::size_t>(n)) + chunk + "\r\n");
            piece = cursor.Next(fault.dripChunkBytes);
            if (!piece.empty() && fault.dripIntervalMs != 0) co_await Sleep(fault.dripIntervalMs);
        }
        co_await WriteAll(stream, "0\r\n\r\n");
        co_return keepAlive;
    }
    if (fault.shortBody || fault.resetMidBody) {
        std::uint64_t half = response.BodyLength() / 2;
        co_await WriteAll(stream, head);
        while (half != 0) {
            std::string_view piece =
                cursor.Next(static_cast<std::size_t>(std::min<std::uint64_t>(half, kWriteStep)));
            co_await WriteAll(stream, piece);
            half -= piece.size();
        }
        if (fault.resetMidBody) {
            Reset(socket);
        } else {
            Close(socket);
        }
        co_return false;
    }
    if (response.fillBytes == 0) {
        // Head, body and tail in one gathered write.
        std::array<asio::const_buffer, 3> buffers = {
            asio::buffer(head), asio::buffer(response.body), asio::buffer(response.tail)};
        co_await asio::async_write(stream, buffers, use_awaitable);
        co_return keepAlive;
    }
    co_await WriteAll(stream, head);
    for (std::string_view piece = cursor.Next(kWriteStep); !piece.empty();
         piece = cursor.Next(kWriteStep)) {
        co_await WriteAll(stream, piece);
    }
    co_return keepAlive;
}

template <class Stream>
asio::awaitable<void> ServeRequests(Stream& stream, beast::flat_buffer& buffer, VaultApp& app,
                                    std::uint64_t connection) {
    tcp::socket& socket = beast::get_lowest_layer(stream);
    for (;;) {
        http::request_parser<http::string_body> parser;
        parser.body_limit(kMaxRequestBody);
        QuickAck(socket);
        co_await http::async_read_header(stream, buffer, parser, use_awaitable);
        http::request<http::string_body>& message = parser.get();
        // Clients that wait for an interim answer before the body get it.
        if (beast::iequals(message[http::field::expect], "100-continue")) {
            co_await WriteAll(stream, "HTTP/1.1 100 Continue\r\n\r\n");
        }
        if (!parser.is_done()) {
            QuickAck(socket);
            co_await http::async_read(stream, buffer, parser, use_awaitable);
        }
        HttpRequest request;
        request.method = std::string(message.method_string());
        request.target = std::string(message.target());
        request.version = message.version();
        for (const auto& field : message) {
            request.headers.emplace_back(std::string(field.name_string()),
                                         std::string(field.value()));
        }
        request.body = std::move(message.body());
        request.connection = connection;
        bool keepAlive = message.keep_alive();
        HttpResponse response = app.Handle(request);
        keepAlive = keepAlive && !response.close;
        if (!co_await Respond(stream, response, keepAlive) || !keepAlive) break;
    }
}

asio::awaitable<void> ServePlain(tcp::socket socket, VaultApp& app, std::uint64_t connection) {
    beast::flat_buffer buffer;
    try {
        co_await ServeRequests(socket, buffer, app, connection);
    } catch (const std::exception&) {
        // The peer went away or sent something that is not HTTP.
    }
    Close(socket);
}

asio::awaitable<void> ServeTls(tcp::socket socket, ssl::context& tls, VaultApp& app,
                               std::uint64_t connection) {
    beast::ssl_stream<tcp::socket> stream(std::move(socket), tls);
    beast::flat_buffer buffer;
    try {
        co_await stream.async_handshake(ssl::stream_base::server, use_awaitable);
        co_await ServeRequests(stream, buffer, app, connection);
    } catch (const std::exception&) {
    }
    Close(beast::get_lowest_layer(stream));
}

asio::awaitable<void> Accept(tcp::acceptor& acceptor, ssl::context* tls, VaultApp& app) {
    for (;;) {
        tcp::socket socket = co_await acceptor.async_accept(use_awaitable);
        beast::error_code ignored;
        socket.set_option(tcp::no_delay(true), ignored);
        std::uint64_t connection = app.AddConnection();
        auto executor = socket.get_executor();
        if (tls != nullptr) {
            asio::co_spawn(executor, ServeTls(std::move(socket), *tls, app, connection),
                           asio::detached);
        } else {
            asio::co_spawn(executor, ServePlain(std::move(socket), app, connection),
                           asio::detached);
        }
    }
}

tcp::acceptor Listen(asio::io_context& io, unsigned short port) {
    tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), port);
    tcp::acceptor acceptor(io);
    acceptor.open(endpoint.protocol());
    acceptor.set_option(tcp::acceptor::reuse_address(true));
    acceptor.bind(endpoint);
    acceptor.listen(asio::socket_base::max_listen_connections);
    return acceptor;
}

}  // namespace

int RunServer(const ServerOptions& options, VaultApp& app) {
    // The context outlives the io_context, whose destruction ends the
    // connections still open.
    ssl::context tls(ssl::context::tls_server);
    asio::io_context io(static_cast<int>(options.threads));
    bool secure = !options.certFile.empty();
    try {
        tcp::acceptor plain = Listen(io, options.httpPort);
        std::optional<tcp::acceptor> encrypted;
        if (secure) {
            tls.set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 |
                            ssl::context::no_sslv3);
            tls.use_certificate_chain_file(options.certFile);
            tls.use_private_key_file(options.keyFile, ssl::context::pem);
            encrypted.emplace(Listen(io, options.httpsPort));
        }
        asio::co_spawn(io, Accept(plain, nullptr, app), asio::detached);
        if (encrypted) asio::co_spawn(io, Accept(*encrypted, &tls, app), asio::detached);

        asio::signal_set signals(io, SIGINT, SIGTERM);
        signals.async_wait([&](const beast::error_code&, int) { io.stop(); });

        std::printf("listening http=%u https=%u\n", plain.local_endpoint().port(),
                    encrypted ? encrypted->local_endpoint().port() : 0u);
        std::fflush(stdout);

        std::vector<std::thread> workers;
        for (unsigned i = 1; i < options.threads; ++i) workers.emplace_back([&io] { io.run(); });
        io.run();
        for (std::thread& worker : workers) worker.join();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vault-server: %s\n", error.what());
        return 1;
    }
    return 0;
}

}  // namespace ql::vault
