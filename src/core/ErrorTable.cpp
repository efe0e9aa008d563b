#include "core/ErrorTable.h"

#include <QHash>

namespace kv {

QString errorDescription(int number) {
    // Our own wording of the classic descriptions; the numbers are what callers test.
    static const QHash<int, QString> table = {
        {err::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument")},
        {err::Overflow, QStringLiteral("Overflow")},
        {err::OutOfMemory, QStringLiteral("Out of memory")},
        {err::SubscriptOutOfRange, QStringLiteral("Subscript out of range")},
        {err::DivisionByZero, QStringLiteral("Division by zero")},
        {err::TypeMismatch, QStringLiteral("Type mismatch")},
        {err::BadFileNameOrNumber, QStringLiteral("Bad file name or number")},
        {err::FileNotFound, QStringLiteral("File not found")},
        {err::BadFileMode, QStringLiteral("Bad file mode")},
        {err::FileAlreadyOpen, QStringLiteral("File already open")},
        {err::DeviceIOError, QStringLiteral("Device I/O error")},
        {err::FileAlreadyExists, QStringLiteral("File already exists")},
        {err::DiskFull, QStringLiteral("Disk full")},
        {err::InputPastEndOfFile, QStringLiteral("Input past end of file")},
        {err::PermissionDenied, QStringLiteral("Permission denied")},
        {err::PathFileAccessError, QStringLiteral("Path/File access error")},
        {err::PathNotFound, QStringLiteral("Path not found")},
        {err::ObjectNotSet, QStringLiteral("Object variable or With block variable not set")},
        {err::InvalidUseOfNull, QStringLiteral("Invalid use of Null")},
        {err::InvalidPropertyValue, QStringLiteral("Invalid property value")},
        {err::ObjectRequired, QStringLiteral("Object required")},
        {err::InvalidPicture, QStringLiteral("Invalid picture")},
        {err::PrinterError, QStringLiteral("Printer error")},
        {err::CancelSelected, QStringLiteral("Cancel was selected")},
        {err::EngineReservedError,
         QStringLiteral("Reserved error; there is no message for this error")},
        {err::EngineInvalidArgument, QStringLiteral("Invalid argument")},
        {err::ObjectNotFound, QStringLiteral("The database engine could not find the object")},
        {err::NoCurrentIndex, QStringLiteral("Operation invalid without a current index")},
        {err::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit")},
        {err::NoCurrentRecord, QStringLiteral("No current record")},
        {err::DuplicateKey,
         QStringLiteral("The change would create duplicate values in an index, primary key or "
                        "relationship")},
        {err::CouldNotFindFile, QStringLiteral("Could not find file")},
        {err::DatabaseReadOnly, QStringLiteral("Cannot update. Database or object is read-only")},
        {err::NotValidAccount, QStringLiteral("Not a valid account name or password")},
        {err::TransactionNotBegun, QStringLiteral("Commit or rollback without a transaction")},
        {err::SystemResourceExceeded, QStringLiteral("System resource exceeded")},
        {err::NotValidPath, QStringLiteral("Not a valid path")},
        {err::DatabaseCorrupt, QStringLiteral("Cannot open the database: it is damaged")},
        {err::CannotOpenFile, QStringLiteral("The database engine could not open the file")},
        {err::TooFewParameters, QStringLiteral("Too few parameters")},
        {err::SyntaxErrorInQuery, QStringLiteral("Syntax error in query expression")},
        {err::SyntaxErrorInFrom, QStringLiteral("Syntax error in FROM clause")},
        {err::SyntaxErrorInInsert, QStringLiteral("Syntax error in INSERT INTO statement")},
        {err::SyntaxErrorInUpdate, QStringLiteral("Syntax error in UPDATE statement")},
        {err::NotAValidBookmark, QStringLiteral("Not a valid bookmark")},
        {err::FieldTooSmall, QStringLiteral("The field is too small to accept the amount of data")},
        {err::NotAWorkgroupFile, QStringLiteral("The file is not a workgroup information file")},
        {err::DataChanged, QStringLiteral("The data has been changed by another operation")},
        {err::TableLocked, QStringLiteral("The table is in use and could not be locked")},
        {err::OperationNotSupported,
         QStringLiteral("Operation is not supported for this type of object")},
        {err::ItemNotFound, QStringLiteral("Item not found in this collection")},
        {err::FieldCannotBeNull, QStringLiteral("The field cannot contain a Null value")},
        {err::ZeroLengthString, QStringLiteral("The field cannot be a zero-length string")},
        {err::UnrecognizedDatabaseFormat, QStringLiteral("Unrecognized database format")},
        {err::InvalidPatternString, QStringLiteral("Invalid pattern string")},
        {err::DiskFullEngine, QStringLiteral("Not enough space on disk")},
        {err::WorkgroupFileMissing,
         QStringLiteral("The workgroup information file is missing or opened exclusively by "
                        "another user")},
        {err::DiskOrNetworkError, QStringLiteral("Disk or network error")},
        {err::CannotExecuteSelect, QStringLiteral("Cannot execute a select query")},
        {err::MustUseUpdatableQuery, QStringLiteral("Operation must use an updatable query")},
        {err::InputTableNotFound,
         QStringLiteral("The database engine cannot find the input table or query")},
        {err::UndefinedFunction, QStringLiteral("Undefined function in expression")},
        {err::FieldNotUpdatable, QStringLiteral("Cannot update the field; field not updatable")},
        {err::AggregateInExpression,
         QStringLiteral("Cannot have aggregate function in expression")},
        {err::NotPartOfAggregate,
         QStringLiteral(
             "The query does not include the expression as part of an aggregate function")},
        {err::UnknownInsertField,
         QStringLiteral("The INSERT INTO statement contains an unknown field name")},
        {err::DeleteTableNotGiven,
         QStringLiteral("Specify the table containing the records you want to delete")},
        {err::InvalidSqlStatement,
         QStringLiteral(
             "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', "
             "or 'UPDATE'")},
        {err::SyntaxErrorInOrderBy, QStringLiteral("Syntax error in ORDER BY clause")},
        {err::SyntaxErrorInSelect,
         QStringLiteral("The SELECT statement includes a reserved word or an argument name that is "
                        "misspelled or missing, or the punctuation is incorrect")},
        {err::CharactersAfterEnd, QStringLiteral("Characters found after end of SQL statement")},
        {err::NullToNonVariant,
         QStringLiteral(
             "You tried to assign the Null value to a variable that is not a Variant data type")},
        {err::FieldCannotBeUpdated, QStringLiteral("Field cannot be updated")},
        {err::RecordIsDeleted, QStringLiteral("Record is deleted")},
        {err::InvalidOperation, QStringLiteral("Invalid operation")},
        {err::RecordLocked, QStringLiteral("Could not update; currently locked")},
        {err::ValueCountMismatch,
         QStringLiteral("Number of query values and destination fields are not the same")},
        {err::QueryTooComplex, QStringLiteral("Query is too complex")},
        {err::NumericFieldOverflow, QStringLiteral("Numeric field overflow")},
        {err::ObjectInvalid, QStringLiteral("Object invalid or no longer set")},
        {err::DataTypeConversion, QStringLiteral("Data type conversion error")},
        {err::DataTypeMismatch, QStringLiteral("Data type mismatch in criteria expression")},
    };
    const auto it = table.constFind(number);
    return it != table.constEnd() ? *it
                                  : QStringLiteral("Application-defined or object-defined error");
}

} // namespace kv
