#include "backup/BackupFile.h"

#include <algorithm>
#include <cstring>

namespace {
// ReadFile and WriteFile take a DWORD count.
constexpr size_t kMaxChunk = 1u << 30;
} // namespace

bool BackupFileWriter::Write(const void* data, size_t size) {
    if (m_failed) return false;
    if (size <= kBackupBufferSize - m_buffer.size()) {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        m_buffer.insert(m_buffer.end(), bytes, bytes + size);
        return true;
    }
    if (!Flush()) return false;
    if (size < kBackupBufferSize) return Write(data, size);
    return WriteThrough(data, size);
}

bool BackupFileWriter::Flush() {
    if (m_failed) return false;
    bool ok = WriteThrough(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
    return ok;
}

bool BackupFileWriter::WriteThrough(const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        DWORD chunk = static_cast<DWORD>(std::min(size, kMaxChunk)), written = 0;
        if (!WriteFile(m_file, bytes, chunk, &written, nullptr) || written != chunk) {
            m_failed = true;
            return false;
        }
        bytes += chunk;
        size -= chunk;
    }
    return true;
}

BackupFileReader::BackupFileReader(HANDLE file) : m_file(file) {
    LARGE_INTEGER size, position, zero;
    zero.QuadPart = 0;
    if (file == INVALID_HANDLE_VALUE || file == nullptr || !GetFileSizeEx(file, &size) ||
        !SetFilePointerEx(file, zero, &position, FILE_CURRENT))
        return;
    m_size = static_cast<uint64_t>(size.QuadPart);
    m_bufferStart = static_cast<uint64_t>(position.QuadPart);
    m_buffer.resize(kBackupBufferSize);
    m_valid = true;
}

bool BackupFileReader::Read(void* data, size_t size) {
    if (!m_valid || size > Remaining()) return false;
    uint8_t* out = static_cast<uint8_t*>(data);
    while (size > 0) {
        if (m_offset == m_length) {
            // Large reads skip the buffer; small ones refill it.
            if (size >= kBackupBufferSize) return ReadExactly(out, size);
            if (!Fill()) return false;
        }
        size_t part = std::min(size, m_length - m_offset);
        std::memcpy(out, m_buffer.data() + m_offset, part);
        m_offset += part;
        out += part;
        size -= part;
    }
    return true;
}

bool BackupFileReader::Seek(uint64_t position) {
    if (!m_valid || position > m_size) return false;
    if (position >= m_bufferStart && position <= m_bufferStart + m_length) {
        m_offset = static_cast<size_t>(position - m_bufferStart);
        return true;
    }
    LARGE_INTEGER target;
    target.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(m_file, target, nullptr, FILE_BEGIN)) {
        m_valid = false;
        return false;
    }
    m_bufferStart = position;
    m_offset = m_length = 0;
    return true;
}

// Called with the buffer used up; the handle's position is the buffer's end.
bool BackupFileReader::Fill() {
    m_bufferStart += m_length;
    m_offset = m_length = 0;
    DWORD want = static_cast<DWORD>(std::min<uint64_t>(kBackupBufferSize, Remaining())), got = 0;
    if (want == 0 || !ReadFile(m_file, m_buffer.data(), want, &got, nullptr) || got == 0) {
        m_valid = false;
        return false;
    }
    m_length = got;
    return true;
}

bool BackupFileReader::ReadExactly(void* data, size_t size) {
    m_bufferStart += m_length;
    m_offset = m_length = 0;
    uint8_t* out = static_cast<uint8_t*>(data);
    while (size > 0) {
        DWORD chunk = static_cast<DWORD>(std::min(size, kMaxChunk)), got = 0;
        if (!ReadFile(m_file, out, chunk, &got, nullptr) || got != chunk) {
            m_valid = false;
            return false;
        }
        m_bufferStart += chunk;
        out += chunk;
        size -= chunk;
    }
    return true;
}
