#include "protocol/protocol_pipe.h"

#include "library/errors.h"

namespace zov {

bool ChunkPipe::push(std::string chunk)
{
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return queued_ < kMaxQueued || readerDone_; });
    if (readerDone_)
        return false;
    queued_ += chunk.size();
    chunks_.push_back(std::move(chunk));
    cv_.notify_all();
    return true;
}

void ChunkPipe::close()
{
    std::lock_guard lock(mutex_);
    closed_ = true;
    cv_.notify_all();
}

bool ChunkPipe::pop(std::string& out)
{
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return !chunks_.empty() || closed_; });
    if (chunks_.empty())
        return false;
    out = std::move(chunks_.front());
    chunks_.pop_front();
    queued_ -= out.size();
    cv_.notify_all();
    return true;
}

void ChunkPipe::readerDone()
{
    std::lock_guard lock(mutex_);
    readerDone_ = true;
    chunks_.clear();
    queued_ = 0;
    cv_.notify_all();
}

PipeBuffer::int_type PipeBuffer::underflow()
{
    do {
        if (!pipe_.pop(current_))
            return traits_type::eof();
    } while (current_.empty());
    setg(current_.data(), current_.data(), current_.data() + current_.size());
    return traits_type::to_int_type(current_[0]);
}

JsonStringGuard::JsonStringGuard(const char* what, std::size_t limit) : what_(what), limit_(limit) {}

void JsonStringGuard::feed(const char* data, std::size_t size, std::string& out)
{
    std::size_t start = 0;
    // What is read since start goes on, or is held while a long string is open.
    auto flush = [&](std::size_t end) {
        (holding_ ? held_ : out).append(data + start, end - start);
        start = end;
    };
    for (std::size_t i = 0; i < size; ++i) {
        const char c = data[i];
        switch (state_) {
        case Outside:
            if (c == '"') {
                state_ = InString;
                length_ = 0;
                raw_ = 0;
                run_ = 0;
            } else if (c == '{' || c == '}' || c == '[' || c == ']' || c == ',' || c == ':') {
                run_ = 0;
            } else if (++run_ > kMaxRun) {
                // A parser keeps what it reads between two tokens (spaces, digits).
                throw Error(QStringLiteral("%1 tem mais de 1 MiB seguido fora de textos e foi recusada.").arg(QString::fromUtf8(what_)));
            }
            continue;
        case InString:
            if (c == '"') {
                state_ = Outside;
                if (holding_) {
                    flush(i);
                    holding_ = false;
                    out += held_;
                    std::string().swap(held_);
                }
                continue;
            }
            if (c == '\\')
                state_ = Escape;
            else
                ++length_;
            break;
        case Escape:
            // \uXXXX is at most three bytes of UTF-8 once decoded; the others one.
            if (c == 'u') {
                state_ = Unicode;
                hexLeft_ = 4;
                length_ += 3;
            } else {
                state_ = InString;
                ++length_;
            }
            break;
        case Unicode:
            if (--hexLeft_ == 0)
                state_ = InString;
            break;
        }
        if (length_ > limit_)
            throw Error(
                QStringLiteral("%1 tem um texto de mais de %2 MiB e foi recusada.").arg(QString::fromUtf8(what_)).arg(limit_ >> 20));
        if (!holding_ && ++raw_ > kPassOn) {
            flush(i);
            holding_ = true;
        }
    }
    flush(size);
}

} // namespace zov
