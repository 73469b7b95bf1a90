// Exceptions of the sub-model tool.
#pragma once

#include "core/base/error_class.h"
#include "submodel/export.h"

#include <string>

// Error numbers 0x801 .. 0x807. Every class derives from Errors, so one handler takes them all;
// each carries a fixed message except BadParams, whose message names the parameter.
struct xc_SubModelDefs {
    // The family's base: a failure of the sub-model tool.
    XC_ERROR_CLASS(XSUBMODEL_API, Errors, xcExceptionWithString, 0x801);
    // A parameter out of range.
    XC_ERROR_CLASS(XSUBMODEL_API, BadParams, Errors, 0x802);
    // "The sub-model tool is not trained." A run before any training.
    class XSUBMODEL_API NotTrained : public Errors {
    public:
        NotTrained();
        XC_ERROR_MEMBERS(NotTrained, 0x803)
    };
    // "The sub-model has no cared-for pel." Its mask ignores every pel, or its window is empty.
    class XSUBMODEL_API NoCarePels : public Errors {
    public:
        NoCarePels();
        XC_ERROR_MEMBERS(NoCarePels, 0x804)
    };
    // "The image is unbound." A sub-model or run image without pels, or a run mask without pels
    // passed where one is required.
    class XSUBMODEL_API UnboundImage : public Errors {
    public:
        UnboundImage();
        XC_ERROR_MEMBERS(UnboundImage, 0x805)
    };
    // "The mask and the image differ in size."
    class XSUBMODEL_API MaskMismatch : public Errors {
    public:
        MaskMismatch();
        XC_ERROR_MEMBERS(MaskMismatch, 0x806)
    };
    // "The start pose does not place the sub-model on the image's pel grid." The start pose
    // (with the two images' transforms) is singular or not finite, or maps the model to fewer
    // than one or more than 2^24 image pels or to no cared-for pel.
    class XSUBMODEL_API BadPose : public Errors {
    public:
        BadPose();
        XC_ERROR_MEMBERS(BadPose, 0x807)
    };
};
