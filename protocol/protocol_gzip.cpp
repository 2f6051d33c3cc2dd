#include "protocol/protocol_gzip.h"

#include "library/errors.h"

#include <zlib.h>

namespace zov {

namespace {

[[noreturn]] void tooLarge(const char* what)
{
    throw Error(QStringLiteral("%1 passa de %2 e foi recusada.").arg(QString::fromUtf8(what), QLatin1String(bodyLimitText())));
}

} // namespace

const char* bodyLimitText() { return "1 GiB"; }

void appendBounded(std::string& out, const char* data, std::size_t size, std::size_t limit, const char* what)
{
    if (size > limit || out.size() > limit - size)
        tooLarge(what);
    out.append(data, size);
}

struct BoundedInflater::Impl {
    z_stream z{};
    std::size_t limit = 0;
    const char* what = "";
    std::size_t produced = 0;
    bool ended = false;
};

BoundedInflater::BoundedInflater(std::size_t limit, const char* what) : d(std::make_unique<Impl>())
{
    d->limit = limit;
    d->what = what;
    // 15 + 32: a gzip or zlib header, found by itself.
    if (inflateInit2(&d->z, 15 + 32) != Z_OK)
        throw Error(QStringLiteral("Não foi possível preparar a descompressão dos dados."));
}

BoundedInflater::~BoundedInflater() { inflateEnd(&d->z); }

void BoundedInflater::feed(const char* data, std::size_t size, std::string& out)
{
    char buffer[64 * 1024];
    d->z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    d->z.avail_in = uInt(size);
    while (d->z.avail_in > 0 && !d->ended) {
        d->z.next_out = reinterpret_cast<Bytef*>(buffer);
        d->z.avail_out = sizeof buffer;
        const int rc = inflate(&d->z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
            throw Error(QStringLiteral("%1 veio com compressão inválida (gzip corrompido).").arg(QString::fromUtf8(d->what)));
        const std::size_t got = sizeof buffer - d->z.avail_out;
        d->produced += got;
        if (d->produced > d->limit)
            tooLarge(d->what);
        out.append(buffer, got);
        if (rc == Z_STREAM_END)
            d->ended = true;
        else if (rc == Z_BUF_ERROR && got == 0)
            break;
    }
}

void BoundedInflater::finish() const
{
    if (!d->ended)
        throw Error(QStringLiteral("%1 veio com compressão incompleta.").arg(QString::fromUtf8(d->what)));
}

std::string gzipCompress(const std::string& body) { return gzipCompress({std::string_view(body)}); }

std::string gzipCompress(std::initializer_list<std::string_view> parts) { return gzipCompress(std::vector<std::string_view>(parts)); }

std::string gzipCompress(const std::vector<std::string_view>& parts)
{
    z_stream z{};
    // 15 + 16: a gzip header and trailer.
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw Error(QStringLiteral("Não foi possível preparar a compressão dos dados."));
    std::size_t total = 0;
    for (std::string_view part : parts)
        total += part.size();
    std::string out;
    out.resize(deflateBound(&z, uLong(total)) + 32 * (parts.size() + 1));
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    int rc = Z_OK;
    std::size_t left = parts.size();
    for (std::string_view part : parts) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(part.data()));
        z.avail_in = uInt(part.size());
        rc = deflate(&z, --left == 0 ? Z_FINISH : Z_NO_FLUSH);
        if (rc == Z_STREAM_ERROR || (left > 0 && z.avail_in > 0))
            break;
    }
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    if (rc != Z_STREAM_END)
        throw Error(QStringLiteral("Não foi possível comprimir os dados."));
    return out;
}

} // namespace zov
