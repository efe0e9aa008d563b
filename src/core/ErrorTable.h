#pragma once

#include <QString>

namespace kv {

// Error numbers the program raises or tests for. Run-time numbers follow the classic
// run-time library; 3000 and above are the database engine's.
namespace err {
enum : int {
    InvalidProcedureCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    SubscriptOutOfRange = 9,
    DivisionByZero = 11,
    TypeMismatch = 13,
    BadFileNameOrNumber = 52,
    FileNotFound = 53,
    BadFileMode = 54,
    FileAlreadyOpen = 55,
    DeviceIOError = 57,
    FileAlreadyExists = 58,
    DiskFull = 61,
    InputPastEndOfFile = 62,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
    ObjectNotSet = 91,
    InvalidUseOfNull = 94,
    InvalidPropertyValue = 380,
    ObjectRequired = 424,
    InvalidPicture = 481,
    PrinterError = 482,
    CancelSelected = 32755,

    // Database engine.
    EngineInvalidArgument = 3001,
    EngineReservedError = 3000,
    CouldNotFindFile = 3024,
    CannotOpenFile = 3051,
    ObjectNotFound = 3011,
    NoCurrentRecord = 3021,
    DuplicateKey = 3022,
    NoCurrentIndex = 3019,
    UpdateWithoutEdit = 3020,
    NotValidAccount = 3029,
    TransactionNotBegun = 3034,
    SystemResourceExceeded = 3035,
    NotValidPath = 3044,
    TooFewParameters = 3061,
    SyntaxErrorInQuery = 3075,
    SyntaxErrorInFrom = 3131,
    SyntaxErrorInInsert = 3134,
    SyntaxErrorInUpdate = 3144,
    NotAValidBookmark = 3159,
    FieldTooSmall = 3163,
    NotAWorkgroupFile = 3173,
    DataChanged = 3197,
    TableLocked = 3211,
    ItemNotFound = 3265,
    FieldCannotBeNull = 3314,
    ZeroLengthString = 3315,
    UnrecognizedDatabaseFormat = 3343,
    DatabaseReadOnly = 3027,
    OperationNotSupported = 3251,
    DatabaseCorrupt = 3049,
    InvalidPatternString = 93,
    DiskFullEngine = 3026,
    WorkgroupFileMissing = 3028,
    DiskOrNetworkError = 3043,
    CannotExecuteSelect = 3065,
    MustUseUpdatableQuery = 3073,
    InputTableNotFound = 3078,
    UndefinedFunction = 3085,
    FieldNotUpdatable = 3113,
    AggregateInExpression = 3096,
    NotPartOfAggregate = 3122,
    UnknownInsertField = 3127,
    DeleteTableNotGiven = 3128,
    InvalidSqlStatement = 3129,
    SyntaxErrorInOrderBy = 3138,
    SyntaxErrorInSelect = 3141,
    CharactersAfterEnd = 3142,
    NullToNonVariant = 3162,
    FieldCannotBeUpdated = 3164,
    RecordIsDeleted = 3167,
    InvalidOperation = 3219,
    RecordLocked = 3260,
    ValueCountMismatch = 3346,
    QueryTooComplex = 3360,
    NumericFieldOverflow = 3349,
    ObjectInvalid = 3420,
    DataTypeConversion = 3421,
    DataTypeMismatch = 3464,
};
} // namespace err

// The standard description of an error number; numbers without one give
// "Application-defined or object-defined error".
QString errorDescription(int number);

} // namespace kv
