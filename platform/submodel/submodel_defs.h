// Exceptions of the sub-model tool.
#pragma once

#include "core/base/exception.h"
#include "submodel/export.h"

#include <string>

// Error numbers 0x801 .. 0x807. Every class derives from Errors, so one handler takes them all;
// each carries a fixed message except BadParams, whose message names the parameter.
struct xc_SubModelDefs {
    // The family's base: a failure of the sub-model tool.
    class XSUBMODEL_API Errors : public xcExceptionWithString {
    public:
        explicit Errors(const std::string& message = "") : xcExceptionWithString(message) {}
        ~Errors() override;
        // Archive: version byte 0, then the xcExceptionWithString part (every class below
        // adds its own version byte 0 in front of its base's).
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(Errors, 0x801)
    };
    // A parameter out of range.
    class XSUBMODEL_API BadParams : public Errors {
    public:
        explicit BadParams(const std::string& message = "") : Errors(message) {}
        ~BadParams() override;
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(BadParams, 0x802)
    };
    // "The sub-model tool is not trained." A run before any training.
    class XSUBMODEL_API NotTrained : public Errors {
    public:
        NotTrained();
        ~NotTrained() override;
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(NotTrained, 0x803)
    };
    // "The sub-model has no cared-for pel." Its mask ignores every pel, or its window is empty.
    class XSUBMODEL_API NoCarePels : public Errors {
    public:
        NoCarePels();
        ~NoCarePels() override;
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(NoCarePels, 0x804)
    };
    // "The image is unbound." A sub-model or run image without pels, or a run mask without pels
    // passed where one is required.
    class XSUBMODEL_API UnboundImage : public Errors {
    public:
        UnboundImage();
        ~UnboundImage() override;
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(UnboundImage, 0x805)
    };
    // "The mask and the image differ in size."
    class XSUBMODEL_API MaskMismatch : public Errors {
    public:
        MaskMismatch();
        ~MaskMismatch() override;
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(MaskMismatch, 0x806)
    };
    // "The start pose does not place the sub-model on the image's pel grid." The start pose
    // (with the two images' transforms) is singular or not finite, or maps the model to fewer
    // than one or more than 2^24 image pels or to no cared-for pel.
    class XSUBMODEL_API BadPose : public Errors {
    public:
        BadPose();
        ~BadPose() override;
        void dispatchSerialize(xcArchive& ar) override;
        XC_EXCEPTION_CONCRETE(BadPose, 0x807)
    };
};
