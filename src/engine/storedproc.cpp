// StoredProc: a stored procedure call by name with the server's parameter list.
#include "storedproc.h"

#include <cctype>

#include "dbref.h"
#include "error.h"

namespace vlm::engine {

struct StoredProc::Impl {
    DatabaseRef db;
    std::unique_ptr<ProcCall> call;

    std::unique_ptr<Cursor> run(std::vector<Param>& params) {
        for (std::size_t i = 0; i < params.size(); ++i) {
            auto d = params[i].direction;
            if (d == ParamDirection::Input || d == ParamDirection::InputOutput || d == ParamDirection::Unknown)
                call->bind(i, params[i].value, params[i].dataType);
        }
        std::vector<Value> outputs;
        auto cur = call->execute(outputs);
        for (std::size_t i = 0; i < params.size() && i < outputs.size(); ++i) {
            auto d = params[i].direction;
            if (d == ParamDirection::Output || d == ParamDirection::InputOutput || d == ParamDirection::Result)
                params[i].value = outputs[i];
        }
        return cur;
    }
};

StoredProc::StoredProc() : impl_(std::make_unique<Impl>()) {}
StoredProc::~StoredProc() {
    close();
    impl_->call.reset();
}

void StoredProc::setDatabaseName(const std::string& name) {
    close();
    impl_->call.reset();
    dbName_ = name;
    impl_->db.set(name);
}

void StoredProc::setDatabase(Database* db) {
    close();
    impl_->call.reset();
    impl_->db.set(db);
    dbName_ = impl_->db.name;
}

void StoredProc::setStoredProcName(const std::string& name) {
    close();
    impl_->call.reset();
    params_.clear();
    name_ = name;
}

void StoredProc::prepare() {
    if (impl_->call) return;
    if (name_.empty()) throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"No stored procedure name given"});
    impl_->call = impl_->db.connection().prepareProc(name_);
    std::vector<Param> fresh;
    for (const auto& d : impl_->call->params()) {
        Param p;
        p.name = d.name;
        p.direction = d.direction;
        p.dataType = d.type;
        fresh.push_back(p);
    }
    params_ = std::move(fresh);
}

Param& StoredProc::paramByName(const std::string& name) {
    for (auto& p : params_) {
        if (p.name.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(p.name[i])) == std::toupper(static_cast<unsigned char>(name[i]));
        if (same) return p;
    }
    throw EngineError(ErrorCategory::Usage, errc::UsageBase, {"Parameter '" + name + "' not found"});
}

Param& StoredProc::param(std::size_t index) {
    if (index >= params_.size())
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"Parameter index " + std::to_string(index) + " out of range"});
    return params_[index];
}

void StoredProc::setParamType(std::size_t index, FieldType type) { param(index).dataType = type; }

void StoredProc::execProc() {
    close();
    prepare();
    auto cur = impl_->run(params_);
    if (!cur) return;
    // A selectable procedure answers with rows: the output parameters take the first row's
    // values, in the order of the outputs; open() gives all the rows as a dataset.
    std::vector<Row> rows;
    cur->fetch(1, rows);
    std::size_t col = 0;
    for (auto& p : params_) {
        auto d = p.direction;
        if (d != ParamDirection::Output && d != ParamDirection::InputOutput && d != ParamDirection::Result) continue;
        p.value = !rows.empty() && col < rows[0].values.size() ? rows[0].values[col] : Value();
        ++col;
    }
}

std::unique_ptr<Cursor> StoredProc::openCursor() {
    prepare();
    auto cur = impl_->run(params_);
    if (!cur)
        throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                          {"The procedure " + name_ + " returns no rows: use execProc for it"});
    return cur;
}

}  // namespace vlm::engine
