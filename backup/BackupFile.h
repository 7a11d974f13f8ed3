// A backup file as a byte source or sink. One ReadFile or WriteFile per field costs
// far more than the copy into a 64 KiB buffer, so both go through one.
#pragma once

#include "backup/BackupRecord.h"

#include <windows.h>

#include <cstdint>
#include <vector>

constexpr size_t kBackupBufferSize = 64 * 1024;

// Writes to a handle it does not own; nothing reaches the file before Flush or a
// full buffer. The first failure sticks.
class BackupFileWriter : public ByteSink {
public:
    explicit BackupFileWriter(HANDLE file) : m_file(file) { m_buffer.reserve(kBackupBufferSize); }
    BackupFileWriter(const BackupFileWriter&) = delete;
    BackupFileWriter& operator=(const BackupFileWriter&) = delete;

    bool Write(const void* data, size_t size) override;
    bool Flush();
    bool Failed() const { return m_failed; }

private:
    bool WriteThrough(const void* data, size_t size);

    HANDLE m_file;
    std::vector<uint8_t> m_buffer;
    bool m_failed = false;
};

// Reads a handle it does not own, from the handle's position when made. The file's
// size is taken once: backup files are opened without sharing.
class BackupFileReader : public ByteSource {
public:
    explicit BackupFileReader(HANDLE file);
    BackupFileReader(const BackupFileReader&) = delete;
    BackupFileReader& operator=(const BackupFileReader&) = delete;

    // False when the handle is not an open file whose size and position can be had.
    bool Valid() const { return m_valid; }
    bool Read(void* data, size_t size) override;
    bool Seek(uint64_t position) override;
    uint64_t Position() const override { return m_bufferStart + m_offset; }
    uint64_t Size() const override { return m_size; }

private:
    bool Fill();
    bool ReadExactly(void* data, size_t size);

    HANDLE m_file;
    std::vector<uint8_t> m_buffer;
    uint64_t m_size = 0;
    uint64_t m_bufferStart = 0; // file position of m_buffer[0]
    size_t m_offset = 0;        // read position inside the buffer
    size_t m_length = 0;        // bytes held in the buffer
    bool m_valid = false;
};
