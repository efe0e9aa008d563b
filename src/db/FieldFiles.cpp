#include "db/FieldFiles.h"

#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/BusyPointer.h"

#include <QFile>
#include <QSaveFile>

namespace kv {

namespace {

// The busy pointer for the copy, also when no context service is installed (the tool).
class Busy {
public:
    Busy() : m_pointer(ctx().services.busy.get()) {
        if (m_pointer) m_pointer->setBusy();
    }
    ~Busy() {
        if (m_pointer) m_pointer->restore();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    IBusyPointer* m_pointer;
};

void openForWriting(QSaveFile& file) {
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        raiseError(err::PathFileAccessError,
                   QStringLiteral("Path/File access error: '%1'").arg(file.fileName()));
}

void writeAll(QSaveFile& file, const QByteArray& data) {
    if (file.write(data) != data.size())
        raiseError(err::DeviceIOError,
                   QStringLiteral("Device I/O error: '%1'").arg(file.fileName()));
}

void commit(QSaveFile& file) {
    if (!file.commit())
        raiseError(err::DeviceIOError,
                   QStringLiteral("Device I/O error: '%1'").arg(file.fileName()));
}

// The field's content in pieces: piece i of size div 2000 + 1 pieces has 2000 bytes, the
// last one size mod 2000 (empty when the size is a multiple of 2000).
void writePieces(const Field& field, qint64 size, QSaveFile& file) {
    const qint64 pieces = size / kFieldChunkSize;
    for (qint64 i = 0; i <= pieces; ++i) {
        const qint64 length = i == pieces ? size % kFieldChunkSize : kFieldChunkSize;
        writeAll(file, field.GetChunk(i * kFieldChunkSize, length));
    }
}

} // namespace

bool bWrite_File_to_Fld(Recordset& rs, const QString& fieldName, const QString& path) {
    return guarded("bWrite_File_to_Fld", [&] {
        Busy busy;
        const Field field = rs.Fields(fieldName);
        if (rs.EditMode() == dbEditNone) rs.Edit();
        QFile file(path);
        if (!QFile::exists(path))
            raiseError(err::FileNotFound, QStringLiteral("File not found: '%1'").arg(path));
        if (!file.open(QIODevice::ReadOnly))
            raiseError(err::PathFileAccessError,
                       QStringLiteral("Path/File access error: '%1'").arg(path));
        bool any = false;
        while (!file.atEnd()) {
            const QByteArray piece = file.read(64 * 1024);
            if (piece.isEmpty() && file.error() != QFile::NoError)
                raiseError(err::DeviceIOError, QStringLiteral("Device I/O error: '%1'").arg(path));
            if (piece.isEmpty()) break;
            field.AppendChunk(piece);
            any = true;
        }
        if (!any) field.setValue(QVariant());
        return true;
    });
}

bool bWrite_Fld_to_File(const Field& field, const QString& path) {
    return guarded("bWrite_Fld_to_File", [&] {
        Busy busy;
        const qint64 size = field.FieldSize();
        if (size == 0) return false;
        QSaveFile file(path);
        openForWriting(file);
        writePieces(field, size, file);
        commit(file);
        return true;
    });
}

bool bWrite_RecordSet_Fld_to_File(Recordset& rs, const Field& field, const QString& path) {
    return guarded("bWrite_RecordSet_Fld_to_File", [&] {
        Busy busy;
        if (rs.Bof() && rs.Eof()) return true;
        QSaveFile file(path);
        openForWriting(file);
        rs.MoveFirst();
        while (!rs.Eof()) {
            const qint64 size = field.FieldSize();
            if (size > 0) writePieces(field, size, file);
            rs.MoveNext();
        }
        commit(file);
        return true;
    });
}

bool bWrite_Str_to_File(const QString& text, const QString& path) {
    return guarded("bWrite_Str_to_File", [&] {
        Busy busy;
        QSaveFile file(path);
        openForWriting(file);
        writeAll(file, text.toUtf8());
        commit(file);
        return true;
    });
}

} // namespace kv
