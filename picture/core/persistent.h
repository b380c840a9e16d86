// The object model shared by pictures and their containers.
//
// Picture kinds are chosen at run time (by file extension, by class name in a
// stored window layout), so each kind has a class descriptor: its name, its
// parent kind and a factory making an empty instance. "A kind derives from
// itself": InheritsFrom is true for the class and each of its ancestors.
#pragma once

#include <memory>
#include <string>

namespace tremalu {

class TObject;

class TClass {
public:
    using Factory = std::unique_ptr<TObject> (*)();

    constexpr TClass(const char* name, const TClass* parent, Factory create)
        : Name(name), Parent(parent), Create(create) {}

    const char* ClassName() const { return Name; }
    const TClass* ClassParent() const { return Parent; }
    bool InheritsFrom(const TClass& ancestor) const;
    // An empty instance of this class; EInvalidOperation for abstract classes.
    std::unique_ptr<TObject> NewInstance() const;

private:
    const char* Name;
    const TClass* Parent;
    Factory Create;
};

class TObject {
public:
    virtual ~TObject() = default;
    virtual const TClass& ClassType() const = 0;
    const char* ClassName() const { return ClassType().ClassName(); }
    bool InheritsFrom(const TClass& ancestor) const { return ClassType().InheritsFrom(ancestor); }
};

// The base of every object that can take the contents of another. CopyFrom
// asks the source to give itself (CopyTo); both fail with EConvertError
// "Impossible d'affecter %s à %s" when the two cannot take each other.
class TPersistent : public TObject {
public:
    static const TClass& StaticClass();
    const TClass& ClassType() const override { return StaticClass(); }

    virtual void CopyTo(TPersistent& dest) const;
    virtual void CopyFrom(const TPersistent* source);

protected:
    [[noreturn]] void RaiseAssignError(const TPersistent* source) const;
};

// Declares the descriptor of a class; put inside the class body.
#define TREMALU_DECLARE_CLASS()                   \
public:                                           \
    static const ::tremalu::TClass& StaticClass(); \
    const ::tremalu::TClass& ClassType() const override { return StaticClass(); }

// Defines the descriptor of a concrete class (one that has a public default
// constructor) and of an abstract one.
#define TREMALU_DEFINE_CLASS(Class, Parent)                                                      \
    const ::tremalu::TClass& Class::StaticClass()                                                 \
    {                                                                                             \
        static const ::tremalu::TClass descriptor(#Class, &Parent::StaticClass(),                 \
            []() -> std::unique_ptr<::tremalu::TObject> { return std::make_unique<Class>(); }); \
        return descriptor;                                                                        \
    }
#define TREMALU_DEFINE_ABSTRACT_CLASS(Class, Parent)                                             \
    const ::tremalu::TClass& Class::StaticClass()                                                 \
    {                                                                                             \
        static const ::tremalu::TClass descriptor(#Class, &Parent::StaticClass(), nullptr);      \
        return descriptor;                                                                        \
    }

}  // namespace tremalu
