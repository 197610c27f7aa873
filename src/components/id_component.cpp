#include "components/id_component.h"

#include "components/id_stack.h"

void acquireSocketStack();
void releaseSocketStack();

TIdComponent::TIdComponent(QObject* owner) : TIdBaseComponent(owner) {
    acquireSocketStack();
}

TIdComponent::~TIdComponent() {
    releaseSocketStack();
}

QByteArray TIdComponent::HostName() const {
    return SocketStack()->QueryHostName();
}
